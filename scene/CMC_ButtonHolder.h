// What a dialog needs of a BUTTON object (type 2001): its engine button. The object
// itself lives above the scene's folder, so the dialog reaches the button through this.
#pragma once

class CButton;

class CMC_ButtonHolder {
public:
    virtual ~CMC_ButtonHolder() = default;
    // The engine button; null while the object has none.
    virtual CButton* getButton() const = 0;
};

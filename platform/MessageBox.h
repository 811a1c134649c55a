// The start-up error box. Texts and captions are Windows-1250 bytes.
#pragma once
#include <string>
#include <vector>

namespace platform {

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows the text under the caption with one OK button and returns when it is
    // dismissed.
    virtual void show(const char* text, const char* caption) = 0;
};

struct MessageBoxRecord {
    std::string text;
    std::string caption;
};

// Keeps every box shown, for tests.
class RecordedMessageBox : public IMessageBox {
public:
    void show(const char* text, const char* caption) override;
    std::vector<MessageBoxRecord> boxes;
};

// Without a screen: each box is kept and written to stderr as "caption: text" in
// UTF-8.
class HeadlessMessageBox : public RecordedMessageBox {
public:
    void show(const char* text, const char* caption) override;
    static void write(const char* text, const char* caption);
};

// A system dialog through SDL; stderr as the headless box when SDL cannot show one.
class SdlMessageBox : public IMessageBox {
public:
    void show(const char* text, const char* caption) override;
};

// The box in force; a headless one unless another is installed.
IMessageBox& messageBox();
// Installs a box (not owned); null restores the headless one.
void setMessageBox(IMessageBox* box);

class ScopedMessageBox {
public:
    explicit ScopedMessageBox(IMessageBox& box) : m_prev(&messageBox()) { setMessageBox(&box); }
    ~ScopedMessageBox() { setMessageBox(m_prev); }
    ScopedMessageBox(const ScopedMessageBox&) = delete;
    ScopedMessageBox& operator=(const ScopedMessageBox&) = delete;

private:
    IMessageBox* m_prev;
};

} // namespace platform

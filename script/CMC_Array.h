// The script's ARRAY: a named, ordered, growable list of owned script values
// (INTEGER, STRING, BOOL, DOUBLE) with a marker for PREV/NEXT and a flag that makes
// changes raise "ONCHANGED^<index>" (then "ONCHANGED" when nothing took that).
//
// Operations that store a value store its clone; the caller keeps what it passed.
// get, prev and next return the element itself, still owned by the array.
// Every index is checked: an index outside 0 .. size-1 makes an operation do
// nothing (and get give null).
//
// Persistence: save/load write and read the binary array file (int32 count, then
// each element's tagged archive record); saveINI/loadINI keep the toString text
// under [scene name] array name in the application's INI settings; serialize
// keeps the object part and the send-on-change flag (never the elements).
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CXArchive;
class CXArray;
class CConfig;
class CMElement;
class CMC_ObjectsContainer;
class CMC_Variable;

class CMC_Array : public CMC_Object {
public:
    static constexpr int kType = 3001;
    // Most elements one bulk append (ADDCLONES, FILL) adds in one call.
    static constexpr int kMaxBulkAdd = 100000;
    // Position of "ONCHANGED" in the event list.
    static constexpr int kChangedEventIndex = 3;

    // From a definition element: the flag from "SENDONCHANGE", then the handlers.
    CMC_Array(CMC_ObjectsContainer* container, CMElement* element);
    // Empty, flag false, no handlers; its scene is the container (it is not registered there).
    CMC_Array(CMC_ObjectsContainer* container, CXString name);
    // Deletes every element.
    ~CMC_Array() override;
    CMC_Array(const CMC_Array&) = delete;
    CMC_Array& operator=(const CMC_Array&) = delete;

    // A new ARRAY "cloned" in the same container with copies of the elements,
    // flag false, marker -1 and no handlers.
    CXObject* clone() override;
    using CMC_Object::clone;
    // The elements' texts joined by "," ("" when empty).
    CXString toString() override;
    CXString** getBehavioursList() override;
    // The object part, then the send-on-change flag (one byte).
    void serialize(CXArchive* archive) override;

    // The element at the index; null outside 0 .. size-1.
    virtual CMC_Variable* get(int index);
    // Appends a copy; change event for the new index.
    virtual void add(CMC_Variable* value);
    // Appends STRING values "temp" holding base + "_" + i for i = first .. last
    // (at most kMaxBulkAdd of them).
    virtual void addClones(CXString base, int first, int last);
    // Inserts a copy before the element at the index (0 .. size-1).
    virtual void insertAt(int index, CMC_Variable* value);
    // Replaces the element at the index by a copy.
    virtual void changeAt(int index, CMC_Variable* value);
    // Removes and deletes the element at the index; no event. Removals bring a
    // marker left past the end back to the last index.
    virtual void removeAt(int index);
    // Deletes every element; no event.
    virtual void removeAll();
    // Removes and deletes the first element equal to the value; no event.
    virtual void remove(CMC_Variable* value);
    // Equality is the element's own equals with the value.
    virtual bool contains(CMC_Variable* value);
    // Index of the first / last equal element, -1 when none.
    virtual int find(CMC_Variable* value);
    // Writes the indices of the equal elements in ascending order into `indices`
    // (at most `capacity` of them) and returns how many it wrote.
    virtual int findAll(CMC_Variable* value, int* indices, int capacity);
    virtual int reversefind(CMC_Variable* value);
    // The INI form; nothing without INI settings.
    virtual void saveINI();
    virtual void loadINI();
    virtual int getSize();
    // Move the marker by n with wrap-around and give the element there; null (and
    // the marker kept) for an empty array.
    virtual CMC_Variable* prev(int n);
    virtual CMC_Variable* next(int n);
    virtual void resetMarker();
    virtual int getMarkerPos();
    // Limited to -1 .. size-1.
    virtual void setMarkerPos(int position);
    // Every element combined with the value (operation 1 to 4 of calculate).
    virtual void sum(CMC_Variable* value);
    virtual void sub(CMC_Variable* value);
    virtual void mul(CMC_Variable* value);
    virtual void div(CMC_Variable* value);
    // Range forms over first .. last (clipped to the array): element i is combined
    // with element i of the ARRAY named by the value's text (indices that array
    // lacks are left alone) or, when there is no such array, with itself.
    virtual void suma(CMC_Variable* arrayName, int first, int last);
    virtual void suba(CMC_Variable* arrayName, int first, int last);
    virtual void mula(CMC_Variable* arrayName, int first, int last);
    virtual void diva(CMC_Variable* arrayName, int first, int last);
    // The element at the index combined with the value.
    virtual void mulat(int index, CMC_Variable* value);
    virtual void divat(int index, CMC_Variable* value);
    virtual void addat(int index, CMC_Variable* value);
    virtual void subat(int index, CMC_Variable* value);
    virtual void modat(int index, CMC_Variable* value);
    // Change events for i, then j.
    virtual void swap(int i, int j);
    // Stable sort by the elements' compare; descending is the ascending result reversed.
    virtual void sort(bool ascending);
    // The binary array file. load empties the array first; a bad tag or a short
    // file stops reading and keeps what was read.
    virtual void load(CXString path);
    virtual void save(CXString path);
    // Same size and, at every index, this element equals the other's; false for null.
    virtual bool compareArr(CMC_Array* other);

    // All values move one place; the element that wraps round is cleared (shift)
    // or kept (rotate). Change events for every index afterwards.
    void shiftLeft();
    void shiftRight();
    void rotateLeft();
    void rotateRight();

    bool getSendOnChange() const { return m_sendOnChange; }
    void setSendOnChange(bool on) { m_sendOnChange = on; }

    // A new element copied from a value: its clone for the four value types, a
    // STRING of its text for any other value; null for null.
    static CMC_Variable* copyElement(CMC_Variable* value);

private:
    void onChanged(int index);
    bool inRange(int index) const;
    // Combines the element at the index with the operand and raises the change event.
    void calculateAt(int index, CMC_Variable* operand, int op);
    void rangeCalculate(CMC_Variable* arrayName, int first, int last, int op);
    // The element cleared by its type (for shifts).
    static void clearElement(CMC_Variable* element);
    // Brings a marker left past the end back into range.
    void clampMarker();
    // Moves the marker by delta with wrap-around; the element there, null when empty.
    CMC_Variable* step(int64_t delta);
    CConfig* getConfig();

    CXArray* m_elements;
    int32_t m_marker = -1;
    bool m_sendOnChange = false;
};

// The GROUP script type (3000): a named, ordered list of other script objects with a
// marker for walking through it. The group does not own its members, which belong to
// their containers; it owns only its list. A method that the group's runner does not
// know is called on every member in turn.
//
// The marker is an index into the list, -1 before the first member; removals do not
// move it, so it may stand past the last member.
//
// A member that the group's container finds by its name is held by name: after any
// container removal the group looks each such name up again before it is used, so
// that it holds the object now registered under it, or drops the member when the name
// finds nothing. Members the container cannot find belong to whoever added them.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_ObjectGroup.h"

class CXVector;
class CMElement;
class CMC_ObjectsContainer;

class CMC_Groupped : public CMC_ObjectGroup {
public:
    static constexpr int kType = 3000;

    // From a definition element: empty, marker -1, the element's handlers attached.
    CMC_Groupped(CMC_ObjectsContainer* container, CMElement* element);
    // A named, empty group of a container, without handlers.
    CMC_Groupped(CXString name, CMC_ObjectsContainer* container);
    // Deletes the list, never the members.
    ~CMC_Groupped() override;
    CMC_Groupped(const CMC_Groupped&) = delete;
    CMC_Groupped& operator=(const CMC_Groupped&) = delete;

    // Appends unless already a member (by address); a group never holds itself.
    void add(CMC_Object* object) override;
    // Removes the first occurrence; nothing when not a member.
    void remove(CMC_Object* object) override;
    bool contains(CMC_Object* object);
    // Empties the list; the marker stays.
    void removeAll();
    // The member at a zero-based index; null outside the list.
    CMC_Object* get(int index);
    int getCount();
    // The list itself, brought up to date (for reading).
    CXVector* getList() override;
    // Appends NAME_first ... NAME_last as the group's container finds them (a
    // trailing "_0" reads as the object itself), without testing membership.
    void addClones(CXString name, int first, int last);

    // A new group "cloned" of the same container with the same members, marker -1.
    using CMC_Object::clone;
    CXObject* clone() override;
    // The members' text forms joined by ",".
    CXString toString() override;
    CXString** getBehavioursList() override;

    // Marker steps. next: forward by `step`, wrapping past the end; prev: back by
    // `step`, wrapping below 0. Both give the member the marker then stands on, or
    // null (an empty group, or a marker left outside the list).
    virtual CMC_Object* prev(int step);
    virtual CMC_Object* next(int step);
    virtual void resetMarker();
    virtual int getMarkerPos();
    // Below -1 counts as -1; at or past the end, the last member (-1 when empty).
    virtual void setMarkerPos(int position);

private:
    struct MemberName {
        CXString name;
        bool named;
    };
    // Appends without the membership test.
    void append(CMC_Object* object);
    void removeAt(int index);
    // Looks the members held by name up again when any container has dropped an object.
    void refresh();

    CXVector* m_members;
    // One per member, in the list's order.
    std::vector<MemberName> m_names;
    uint32_t m_generation;
    int32_t m_marker = -1;
};

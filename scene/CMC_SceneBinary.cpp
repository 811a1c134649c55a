#include "scene/CMC_SceneBinary.h"

#include <cstring>
#include <utility>
#include <vector>

#include "foundation/ByteReader.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "script/CMC_Object.h"

#include "script/CMC_Array.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_ComplexCondition.h"
#include "script/CMC_Condition.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Fifo.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Lifo.h"
#include "script/CMC_Path.h"
#include "script/CMC_String.h"
#include "script/CMC_Vector.h"
#include "scene/CMC_Scene.h"

namespace {

using Table = std::vector<std::pair<int, CMC_SceneBinary::Prototype>>;

Table& table() {
    static Table rows = {
        {1, [](CMC_Scene*) -> CMC_Object* { return new CMC_Integer(CXString()); }},
        {2, [](CMC_Scene*) -> CMC_Object* { return new CMC_String(CXString()); }},
        {3, [](CMC_Scene*) -> CMC_Object* { return new CMC_Bool(CXString()); }},
        {4, [](CMC_Scene*) -> CMC_Object* { return new CMC_Double(CXString()); }},
        {10, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Condition(s); }},
        {11, [](CMC_Scene* s) -> CMC_Object* { return new CMC_ComplexCondition(s); }},
        {12, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Expression(s, CXString()); }},
        {13, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Behaviour(s); }},
        {2016, [](CMC_Scene*) -> CMC_Object* { return new CMC_Vector(static_cast<CMC_Vector*>(nullptr)); }},
        {2017, [](CMC_Scene*) -> CMC_Object* { return new CMC_Path(); }},
        {2018, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Fifo(s); }},
        {2019, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Lifo(s); }},
        {3001, [](CMC_Scene* s) -> CMC_Object* { return new CMC_Array(s, CXString("temp")); }},
    };
    return rows;
}

struct Supplement {
    int code;
    CMC_SceneBinary::SupplementWriter writer;
    CMC_SceneBinary::SupplementReader reader;
};

std::vector<Supplement>& supplements() {
    static std::vector<Supplement> rows;
    return rows;
}

const Supplement* supplementOf(int code) {
    for (const Supplement& row : supplements())
        if (row.code == code) return &row;
    return nullptr;
}

constexpr char kSupplementTag[] = "SUPPLMNT";
constexpr int kSupplementTagSize = 8;
// Files answer a seek differently (0, or the new position): the position tells.
bool seekTo(CFile* file, int position) {
    file->Seek(position, 0);
    return file->Tell() == position;
}

// Entry count, entries' length, tag.
constexpr int kSupplementFooter = 16;

}  // namespace

bool CMC_SceneBinary::registerPrototype(int code, Prototype prototype) {
    for (auto& row : table())
        if (row.first == code) {
            row.second = prototype;
            return true;
        }
    table().emplace_back(code, prototype);
    return true;
}

CMC_SceneBinary::Prototype CMC_SceneBinary::getPrototype(int code) {
    for (const auto& row : table())
        if (row.first == code) return row.second;
    return nullptr;
}

bool CMC_SceneBinary::isLeftOut(int type) {
    return type == 1000 || type == 1001 || type == 1002 || type == 102 || type == 11000 || type == 12000;
}

bool CMC_SceneBinary::registerSupplement(int code, SupplementWriter writer, SupplementReader reader) {
    for (Supplement& row : supplements())
        if (row.code == code) {
            row.writer = writer;
            row.reader = reader;
            return true;
        }
    supplements().push_back({code, writer, reader});
    return true;
}

void CMC_SceneBinary::writeSupplements(CXArchive* archive, const std::vector<CMC_Object*>& records) {
    if (!archive) return;
    std::vector<std::pair<int, std::vector<CXString>>> entries;
    for (size_t i = 0; i < records.size(); ++i) {
        const Supplement* row = records[i] ? supplementOf(records[i]->getType()) : nullptr;
        if (!row || !row->writer) continue;
        std::vector<CXString> texts = row->writer(records[i]);
        if (!texts.empty()) entries.emplace_back(static_cast<int>(i), std::move(texts));
    }
    if (entries.empty()) return;
    int length = 0;
    for (const auto& [index, texts] : entries) {
        *archive << index << static_cast<int>(texts.size());
        length += 8;
        for (const CXString& text : texts) {
            *archive << text;
            length += 4 + text.getLength();
        }
    }
    *archive << static_cast<int>(entries.size()) << length;
    archive->FWrite(CXString(kSupplementTag));
}

std::map<int, std::vector<CXString>> CMC_SceneBinary::readSupplements(CXArchive* archive) {
    std::map<int, std::vector<CXString>> found;
    CFile* file = archive ? archive->getFile() : nullptr;
    if (!file) return found;
    const int start = file->Tell();
    const int end = file->Length();
    if (start < 0 || end - start < kSupplementFooter) return found;
    uint8_t footer[kSupplementFooter];
    const bool footerRead = seekTo(file, end - kSupplementFooter) &&
                            file->Read(footer, kSupplementFooter) == kSupplementFooter;
    ByteReader tail(footer, footerRead ? sizeof footer : 0);
    const int32_t count = static_cast<int32_t>(tail.le32());
    const int32_t length = static_cast<int32_t>(tail.le32());
    const bool tagged = tail.ok() && std::memcmp(footer + 8, kSupplementTag, kSupplementTagSize) == 0;
    std::vector<uint8_t> block;
    // Each entry takes at least its index and its text count.
    if (tagged && length >= 0 && length <= end - start - kSupplementFooter && count >= 0 && count <= length / 8) {
        block.resize(static_cast<size_t>(length));
        if (!seekTo(file, end - kSupplementFooter - length) ||
            (length > 0 && file->Read(block.data(), length) != length))
            block.clear();
        ByteReader entries(block.data(), block.size());
        for (int32_t e = 0; e < count && entries.ok() && !block.empty(); ++e) {
            const int32_t index = static_cast<int32_t>(entries.le32());
            const int32_t texts = static_cast<int32_t>(entries.le32());
            if (!entries.ok() || index < 0 || texts < 0 || texts > entries.left() / 4 || found.count(index)) {
                found.clear();
                break;
            }
            std::vector<CXString>& list = found[index];
            for (int32_t t = 0; t < texts && entries.ok(); ++t) {
                CXString text;
                entries.text(&text);
                list.push_back(text);
            }
        }
        // The entries fill the block exactly, or none of them counts.
        if (!entries.ok() || entries.left() != 0) found.clear();
    }
    seekTo(file, start);
    return found;
}

void CMC_SceneBinary::applySupplement(CMC_Object* object, const std::vector<CXString>& texts) {
    const Supplement* row = object ? supplementOf(object->getType()) : nullptr;
    if (row && row->reader) row->reader(object, texts);
}

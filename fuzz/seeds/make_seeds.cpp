// Writes the starting inputs of the script fuzz targets, each made by the engine's
// own writers: make_fuzz_seeds <folder> fills <folder>/<target>/ (the committed
// seeds live in tests/data/fuzz/).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../ScriptFuzzSupport.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "graphics/play/CAnimo.h"
#include "graphics/text/CSimpleFont6.h"
#include "script/CMC_Array.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Database.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_MultiArray.h"
#include "script/CMC_String.h"
#include "tests/graphics/text/TextFixtures.h"

namespace fs = std::filesystem;

namespace {

fs::path g_root;

std::string enginePath(const fs::path& file) { return platform::toEnginePath(fs::absolute(file).string()); }

fs::path seed(const char* target, const char* name) {
    fs::create_directories(g_root / target);
    return g_root / target / name;
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fill(CMC_ObjectsContainer* scene, CMC_Array& array) {
    CMC_Integer one(CXString("i"));
    one.setValue(1);
    CMC_Integer negative(CXString("n"));
    negative.setValue(-7);
    CMC_String text(CXString("s"));
    text.setValue(CXString("ab"));
    CMC_String empty(CXString("e"));
    CMC_Bool yes(CXString("b"));
    yes.setValue(true);
    CMC_Double half(CXString("d"));
    half.setValue(2.5);
    (void)scene;
    for (CMC_Variable* v : std::vector<CMC_Variable*>{&one, &text, &yes, &half, &negative, &empty}) array.add(v);
}

void arrays() {
    CMC_ObjectsContainer scene(fuzz::world(), nullptr, CXString("SCENE"), CMC_ObjectsContainer::kScene);
    CMC_Array empty(&scene, CXString("E"));
    empty.save(CXString(enginePath(seed("arrayfile", "empty.arr")).c_str()));
    CMC_Array mixed(&scene, CXString("M"));
    fill(&scene, mixed);
    mixed.save(CXString(enginePath(seed("arrayfile", "mixed.arr")).c_str()));
}

void multiArrays() {
    const char text[] = "OBJECT=M\nM:TYPE=MULTIARRAY\nM:DIMENSIONS=2\nOBJECT=T\nT:TYPE=MULTIARRAY\nT:DIMENSIONS=3\n";
    CMC_ObjectsContainer* scene = fuzz::buildScene(text, sizeof text - 1);
    auto* flat = dynamic_cast<CMC_MultiArray*>(scene->getObject(CXString("M")));
    auto* deep = dynamic_cast<CMC_MultiArray*>(scene->getObject(CXString("T")));
    CMC_Integer n(CXString("n"));
    n.setValue(42);
    CMC_String s(CXString("s"));
    s.setValue(CXString("cell"));
    CMC_Double d(CXString("d"));
    d.setValue(-0.5);
    flat->set({0, 0}, &n);
    flat->set({3, 1}, &s);
    flat->save(CXString(enginePath(seed("multiarrayfile", "flat.marr")).c_str()));
    deep->set({1, 2, 3}, &d);
    deep->set({20, 0, 0}, &n);
    deep->save(CXString(enginePath(seed("multiarrayfile", "deep.marr")).c_str()));
    fuzz::dropScene(scene);
}

void databases() {
    const char text[] =
        "OBJECT=R\nR:TYPE=STRUCT\nR:FIELDS=NAME<STRING>,SCORE<INTEGER>,ON<BOOL>,X<DOUBLE>\n"
        "OBJECT=DB\nDB:TYPE=DATABASE\nDB:MODEL=R\n";
    CMC_ObjectsContainer* scene = fuzz::buildScene(text, sizeof text - 1);
    fuzz::enterScene(scene);
    auto* db = dynamic_cast<CMC_Database*>(scene->getObject(CXString("DB")));
    const fs::path rows = g_root / "rows.tmp";
    writeBytes(rows, "ann|5|TRUE|1.5\nbob|-7|FALSE|0\n\ncid|2147483647|TRUE|-2.25\n");
    db->load(CXString(enginePath(rows).c_str()));
    db->save(CXString(enginePath(seed("databasefile", "rows.txt")).c_str()));
    fs::remove(rows);
    fuzz::dropScene(scene);
}

// The serialize target's form: a kind byte, then the object's stored state.
void objectStates() {
    const struct {
        uint8_t kind;
        const char* name;
        const char* definition;
    } kinds[] = {
        {0, "integer.bin", "OBJECT=X\nX:TYPE=INTEGER\nX:VALUE=12\nX:ONCHANGED=H\nX:ONINIT=H(\"a\",2)\n"},
        {1, "string.bin", "OBJECT=X\nX:TYPE=STRING\nX:VALUE=txt\nX:TOINI=TRUE\n"},
        {4, "array.bin", "OBJECT=X\nX:TYPE=ARRAY\nX:SENDONCHANGE=TRUE\nX:ONCHANGED=H\n"},
        {5, "behaviour.bin", "OBJECT=X\nX:TYPE=BEHAVIOUR\nX:CODE={N^ADD(1);}\nX:ONDONE=H\n"},
        {6, "condition.bin", "OBJECT=X\nX:TYPE=CONDITION\nX:OPERAND1=N\nX:OPERATOR=EQUAL\nX:OPERAND2=2\n"},
        {7, "complex.bin", "OBJECT=X\nX:TYPE=COMPLEXCONDITION\nX:CONDITION1=C\nX:OPERATOR=OR\nX:CONDITION2=C\n"},
        {8, "vector.bin", "OBJECT=X\nX:TYPE=VECTOR\nX:SIZE=3\nX:VALUE=1,2.5,-3\n"},
        {9, "path.bin", "OBJECT=X\nX:TYPE=PATH\nX:NODES=V,V\n"},
        {12, "font.bin", "OBJECT=X\nX:TYPE=FONT\nX:DEF_A_STANDARD_10=a.fnt\nX:DEF_A_BOLD_10=b.fnt\n"},
        {13, "text.bin", "OBJECT=X\nX:TYPE=TEXT\nX:TEXT=Hello <B>W<B>|x\nX:RECT=0,0,50,20\nX:VISIBLE=TRUE\n"},
    };
    for (const auto& k : kinds) {
        const std::string text = std::string("OBJECT=H\nH:TYPE=BEHAVIOUR\nH:CODE={N^ADD(1);}\n") +
                                 "OBJECT=N\nN:TYPE=INTEGER\nN:VALUE=2\n" +
                                 "OBJECT=V\nV:TYPE=VECTOR\nV:SIZE=2\nV:VALUE=1,2\n" +
                                 "OBJECT=C\nC:TYPE=CONDITION\nC:OPERAND1=N\nC:OPERATOR=EQUAL\nC:OPERAND2=2\n" +
                                 k.definition;
        CMC_ObjectsContainer* scene = fuzz::buildScene(text.data(), text.size());
        fuzz::enterScene(scene);
        const fs::path file = seed("serialize", k.name);
        {
            CFile out(nullptr, CXString(enginePath(file).c_str()), CFile::kWrite | CFile::kBinary);
            CXArchive archive(&out, true);
            scene->getObject(CXString("X"))->serialize(&archive);
            out.Close();
        }
        writeBytes(file, std::string(1, static_cast<char>(k.kind)) + readBytes(file));
        fuzz::dropScene(scene);
    }
}

void netRecords() {
    CMC_Integer n(CXString("n"));
    n.setValue(-123456);
    CMC_String s(CXString("s"));
    s.setValue(CXString("net text"));
    CMC_Bool b(CXString("b"));
    b.setValue(true);
    CMC_Double d(CXString("d"));
    d.setValue(3.75);
    const std::pair<CMC_Variable*, const char*> values[] = {
        {&n, "integer.bin"}, {&s, "string.bin"}, {&b, "bool.bin"}, {&d, "double.bin"}};
    for (const auto& [value, name] : values) {
        std::string record(static_cast<size_t>(value->getBufferLen()), '\0');
        value->netstore(record.data());
        writeBytes(seed("netrecord", name), record);
    }
}

// Statement texts and a definition file: plain text in the engine's syntax.
void texts() {
    const std::pair<const char*, const char*> statements[] = {
        {"values.txt", "N^ADD(2);S^ADD(\"x\");D^MUL(N);B^SET(FALSE);N^SET([N+1]);"},
        {"arrays.txt", "A^ADD(1,\"t\",2.5);A^SORT();A^INSERTAT(0,N);M^SET(1,2,S);A^SAVE(\"a.tmp\");"},
        {"calls.txt", "K^RUNC(5,\"q\");@LOOP(H,0,3,1);@IF(N,'_',3,H,K);@WHILE(N,'<',9,{N^INC();});"},
        {"struct.txt", "R^SET(\"a|1|TRUE|0.5\");DB^ADD(R);DB^SELECT(0);R|SCORE^ADD(1);V^ADD(W);P^GETNODE(1);"},
        {"queues.txt", "F^PUSH(1);L^PUSH(S);F^POP();L^POP();N^ADDTOGROUP(G);G^SET(4);*S^GETNAME();"},
    };
    for (const auto& [name, code] : statements) writeBytes(seed("statements", name), code);
    writeBytes(seed("definitions", "scene.cnv"),
               "OBJECT=N\r\nN:TYPE=INTEGER\r\nN:VALUE=1\r\nN:ONCHANGED=H\r\n"
               "OBJECT=H\r\nH:TYPE=BEHAVIOUR\r\nH:CODE={S^ADD(\"x\");}\r\n"
               "OBJECT=S\r\nS:TYPE=STRING\r\n"
               "OBJECT=A\r\nA:TYPE=ARRAY\r\n"
               "OBJECT=__INIT__\r\n__INIT__:TYPE=BEHAVIOUR\r\n__INIT__:CODE={N^ADD(2);A^ADD(N);@LOOP(H,0,2,1);}\r\n");
}

// Font files (the two-letter one and one built from bars by create) and formatted texts.
void fonts() {
    writeBytes(seed("font", "two-letters.fnt"), textfix::fontAL());
    writeBytes(seed("font", "blocks.fnt"), textfix::blockFont("abl", 3, 4));
    CAnimo animation(nullptr);
    for (int row = 1; row <= 3; ++row) {
        CGraphicsObject g(nullptr, CXSize(5, 5), 16);
        auto* alpha = new char[25]();
        for (int x = 1; x <= 3; ++x) alpha[row * 5 + x] = static_cast<char>(0xFF);
        g.AlphaChannel(alpha);
        animation.AddFrame(&g);
    }
    _annEventInfo3 event;
    event.name = "LETTERS";
    event.frames = {0, 1, 2};
    animation.AddEvent(event);
    for (int i = 0; i < 3; ++i) {
        _anmFrameInfo3* info = animation.GetOrAddFrameInfo(0, i);
        info->hasName = true;
        info->name = CXString(std::string(1, static_cast<char>('a' + i)).c_str());
    }
    CSimpleFont6 font(nullptr);
    font.create(&animation, CXString(enginePath(seed("font", "bars.fnt")).c_str()));
    const char* const texts[] = {"Hello <B>World<B>!", "<bold>",       "a|b",          "a\r\nb",
                                 "a<b<B>c",           "x<y",          "<COLOR31>",    "<COLOR255,0,0>x<COLOR>",
                                 "<COLOR255,255>",    "x<E,40,name,init>y", "<B>aaa bbb<B> ccc&NBSP;d\te"};
    int n = 0;
    for (const char* text : texts)
        writeBytes(seed("textcodes", ("text" + std::to_string(n++) + ".txt").c_str()), text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    arrays();
    multiArrays();
    databases();
    objectStates();
    netRecords();
    texts();
    fonts();
    return 0;
}

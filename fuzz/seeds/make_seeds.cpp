// Writes the starting inputs of the fuzz targets, each made by the engine's own
// writers where it has one (the tools' and the libraries' otherwise):
// make_fuzz_seeds <folder> fills <folder>/<target>/, the target's name without
// "fuzz_" (the committed seeds of the script targets live in tests/data/fuzz/).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <jpeglib.h>
#include <sndfile.h>

#include "../ScriptFuzzSupport.h"
#include "net/CSelfExtract.h"
#include "platform/RegistryStore.h"
#include "scene/CVondrelWEB.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "graphics/core/CGraphicsObject.h"
#include "platform/Presenter.h"
#include "shell/CWAVFile.h"
#include "tools/AviWriter.h"
#include "tools/DefinitionCoder.h"
#include "platform/Png.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_StructureParser.h"
#include "graphics/play/CAnimo.h"
#include "graphics/text/CSimpleFont6.h"
#include "net/CNetMessages.h"
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
        {12, "canvas.bin",
         "OBJECT=X\nX:TYPE=CANVAS\nX:WIDTH=4\nX:HEIGHT=3\nX:ALPHA=TRUE\nX:BACKGROUND=TRUE\nX:PRIORITY=2\n"
         "X:ONCLICK=H\n"},
        {13, "pattern.bin",
         "OBJECT=X\nX:TYPE=PATTERN\nX:WIDTH=100\nX:HEIGHT=60\nX:GRIDX=20\nX:GRIDY=20\nX:LAYERS=2\n"
         "X:TOCANVAS=TRUE\nX:VISIBLE=TRUE\nX:PRIORITY=5\n"},
        {14, "scroll.bin", "OBJECT=X\nX:TYPE=SCROLL\nX:VIEWPORT=10,20,110,220\nX:ONTOP=H\n"},
        {15, "font.bin", "OBJECT=X\nX:TYPE=FONT\nX:DEF_A_STANDARD_10=a.fnt\nX:DEF_A_BOLD_10=b.fnt\n"},
        {16, "text.bin", "OBJECT=X\nX:TYPE=TEXT\nX:TEXT=Hello <B>W<B>|x\nX:RECT=0,0,50,20\nX:VISIBLE=TRUE\n"},
        {17, "filter.bin", "OBJECT=X\nX:TYPE=FILTER\nX:ACTION=FADEIN\nX:ONFINISHED=H\n"},
        {18, "staticfilter.bin", "OBJECT=X\nX:TYPE=STATICFILTER\nX:ACTION=WAVES\nX:ONINIT=H\n"},
        {19, "sequence.bin", "OBJECT=X\nX:TYPE=SEQUENCE\nX:FILENAME=walk.seq\nX:ONFINISHED=H\n"},
        {20, "button.bin",
         "OBJECT=X\nX:TYPE=BUTTON\nX:GFXSTANDARD=V\nX:SNDONCLICK=N\nX:RECT=10,20,110,60\nX:ENABLE=TRUE\n"
         "X:DRAGGABLE=TRUE\nX:PRIORITY=7\nX:ONCLICKED=H\n"},
        {21, "editbox.bin", "OBJECT=X\nX:TYPE=EDITBOX\nX:RECT=0,0,80,20\nX:TEXT=name|x\nX:FONT=F\nX:ONENTER=H\n"},
        {22, "dialog.bin", "OBJECT=X\nX:TYPE=DIALOG\nX:ONINIT=H\n"},
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
            CFile out(nullptr, CXString(enginePath(file).c_str()), CFile::kWriteBinary);
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

// Streams of the network protocol as the fuzz target reads them: each frame cut into
// pushes of 7 bytes (a length byte 6, then the bytes), frames back to back.
void netFrames() {
    auto stream = [](const std::vector<CNetMessage*>& frames) {
        std::string bytes;
        for (CNetMessage* m : frames) bytes.append(m->getBuffer(), static_cast<size_t>(m->getBufferLen()));
        std::string pushes;
        for (size_t at = 0; at < bytes.size(); at += 7) {
            const size_t n = std::min<size_t>(7, bytes.size() - at);
            pushes += static_cast<char>(n - 1);
            pushes.append(bytes, at, n);
        }
        for (CNetMessage* m : frames) delete m;
        return pushes;
    };
    CXArray arguments(2, 0.75f);
    CXString three("3"), fast("fast");
    arguments.add(&three);
    arguments.add(&fast);
    CMC_Integer n(CXString("A"));
    n.setValue(5);
    CMC_String s(CXString("S"));
    s.setValue(CXString("text"));
    const std::string file(300, 'f');
    writeBytes(seed("netframes", "script.bin"),
               stream({new CNetCmdMessage(nullptr, CXString("JUMP"), &arguments), new CNetVariableMessage(nullptr, &n),
                       new CNetVariableMessage(nullptr, &s), new CNetBehaviourMessage(nullptr, CXString("{A^SET(1);}")),
                       new CNetTextMessage(nullptr, CXString("hi")), new CNetHelloMessage(nullptr, CXString("bob")),
                       new CNetMessage(nullptr, CNetMessage::kGoodbye), new CNetPingMessage(nullptr, 9)}));
    writeBytes(seed("netframes", "transfer.bin"),
               stream({new CNetFileRequestMessage(nullptr, 1, CXString("d"), CXString("s"), CXString("f")),
                       new CNetFileResponseMessage(nullptr, 1, 1, 300, 300),
                       new CNetFileDataMessage(nullptr, 1, 1, 0, 100, 200, file.data()),
                       new CNetFileDataMessage(nullptr, 1, 1, 0, 0, 100, file.data())}));
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

// ---- sounds --------------------------------------------------------------------

// A sine tone as samples of the format (8-bit unsigned or 16-bit signed, interleaved).
std::string tone(const platform::WaveFormat& format, int frames) {
    std::string bytes;
    for (int i = 0; i < frames; ++i) {
        const double v = std::sin(i * 0.3);
        for (int c = 0; c < format.channels; ++c) {
            if (format.bitsPerSample == 8) {
                bytes += static_cast<char>(128 + static_cast<int>(100 * v));
            } else {
                const int16_t s = static_cast<int16_t>(12000 * v * (c ? -1 : 1));
                bytes += static_cast<char>(s & 0xFF);
                bytes += static_cast<char>((s >> 8) & 0xFF);
            }
        }
    }
    return bytes;
}

platform::WaveFormat pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t block = static_cast<uint16_t>(channels * bits / 8);
    return {platform::kWaveFormatPcm, channels, rate, rate * block, block, bits, 0};
}

void writeWav(const fs::path& file, const platform::WaveFormat& format, const std::string& samples,
              const uint8_t* extra = nullptr) {
    CWAVFile out;
    if (out.open(enginePath(file).c_str(), &format, CWAVFile::kModeWrite, extra) != CWAVFile::kOk) std::exit(1);
    uint32_t written = 0;
    if (!samples.empty()) out.write(static_cast<uint32_t>(samples.size()), reinterpret_cast<const uint8_t*>(samples.data()), &written);
    if (out.close() != CWAVFile::kOk) std::exit(1);
}

// A tone written by the sound library in one of its ADPCM codes.
void writeAdpcm(const fs::path& file, int channels, int code, int frames) {
    SF_INFO info{};
    info.samplerate = 11025;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | code;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!out) std::exit(1);
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(9000 * std::sin(i * (0.2 + c * 0.1))));
    sf_writef_short(out, samples.data(), frames);
    sf_close(out);
}

void sounds() {
    const platform::WaveFormat mono8 = pcm(1, 11025, 8);
    const platform::WaveFormat stereo16 = pcm(2, 22050, 16);
    const platform::WaveFormat mono16 = pcm(1, 22050, 16);
    writeWav(seed("soundfx", "mono8.wav"), mono8, tone(mono8, 301));  // odd: a pad byte follows
    writeWav(seed("soundfx", "stereo16.wav"), stereo16, tone(stereo16, 200));
    writeWav(seed("soundfx", "empty.wav"), mono16, "");
    // A non-PCM header with its extra bytes, as the writer lays it out.
    const uint8_t extra[4] = {0xF4, 0x01, 0x07, 0x00};
    writeWav(seed("soundfx", "extra.wav"), {2, 1, 11025, 5644, 256, 4, 4}, std::string(256, '\x11'), extra);
    writeAdpcm(seed("soundfx", "adpcm.wav"), 1, SF_FORMAT_MS_ADPCM, 1000);
    writeAdpcm(seed("adpcm", "mono.wav"), 1, SF_FORMAT_MS_ADPCM, 1500);
    writeAdpcm(seed("adpcm", "stereo.wav"), 2, SF_FORMAT_MS_ADPCM, 700);
    writeAdpcm(seed("adpcm", "ima.wav"), 1, SF_FORMAT_IMA_ADPCM, 600);
    writeWav(seed("streamedwav", "mono16.wav"), mono16, tone(mono16, 30000));
    writeWav(seed("streamedwav", "stereo8.wav"), pcm(2, 11025, 8), tone(pcm(2, 11025, 8), 4001));
    writeWav(seed("streamedwav", "short.wav"), stereo16, tone(stereo16, 10));
}

// ---- pictures ------------------------------------------------------------------

// Frames as the headless host dumps them, and RGBA pictures as the tools write them.
// Sequence files named SEQ.SEQ by the target (root SEQ), over its TALK.ANN, HELLO.WAV,
// the ANIMO DOOR and the SOUND VOICE.
void sequences() {
    const struct {
        const char* name;
        const char* text;
    } files[] = {
        {"forms.seq",
         "# comment\nNAME SEQ\nSEQ:TYPE=SEQUENCE\nSEQ MODE SEQUENCE\nSEQ:SEQEVENT=GO:x1\n"
         "NAME a\na=FILENAME:TALK.ANN\na EVENT 2\na:TYPE=SIMPLE\na:WAIT=FALSE\na ADD SEQ\n"
         "NAME b\nb:FILENAME=HELLO.WAV\nb:TYPE=SIMPLE\nb:ADD=SEQ\n"
         "NAME c\nc:FILENAME=DOOR\nc:EVENT=DOOR\nc:TYPE=SIMPLE\nc:ADD=SEQ\n"},
        {"modes.seq",
         "NAME SEQ\nSEQ:TYPE=SEQUENCE\nSEQ:MODE=PARAMETER\nSEQ:SEQEVENT=GO:21\n"
         "NAME r\nr:TYPE=SEQUENCE\nr:MODE=RANDOM\nr:ADD=SEQ\nNAME p\np:TYPE=SEQUENCE\np:ADD=SEQ\n"
         "NAME x\nx:FILENAME=TALK.ANN\nx:EVENT=1\nx:TYPE=SIMPLE\nx:ADD=r\nx:ADD=p\n"
         "NAME y\ny:FILENAME=TALK.ANN\ny:EVENT=START\ny:TYPE=SIMPLE\ny:ADD=r\np:ADD\nr:ADD=p\n"},
        {"speaking.seq",
         "NAME SEQ\nSEQ:TYPE=SEQUENCE\nNAME s\ns:TYPE=SPEAKING\ns:ANIMOFN=TALK.ANN\ns:WAVFN=HELLO.WAV\n"
         "s:STARTING=TRUE\ns:ENDING=TRUE\ns:PREFIX=A\ns:ADD=SEQ\nNAME t\nt:TYPE=SPEAKING\nt:ANIMOFN=DOOR\n"
         "t:WAVFN=VOICE\nt:ENDING=true\nt:ADD=SEQ\nNAME u\nu:TYPE=SPEAKING\nu:ANIMOFN=PIXEL.ANN\nu:WAVFN=w\n"
         "NAME w\nw:FILENAME=HELLO.WAV\nw:TYPE=SIMPLE\nu:ADD=SEQ\n"},
        {"speaking-root.seq", "NAME SEQ\nSEQ:TYPE=SPEAKING\nSEQ:ANIMOFN=TALK.ANN\nSEQ:WAVFN=HELLO.WAV\n"},
    };
    for (const auto& f : files) writeBytes(seed("sequence", f.name), f.text);
}

void pngs() {
    for (const auto& [name, w, h] : {std::tuple{"dot.png", 1, 1}, std::tuple{"frame.png", 7, 5}}) {
        platform::RgbFrame frame;
        frame.width = w;
        frame.height = h;
        for (int i = 0; i < w * h; ++i) frame.rgb.insert(frame.rgb.end(), {uint8_t(i * 31), uint8_t(200 - i), 77});
        if (!platform::writePng(seed("png", name).string(), frame)) std::exit(1);
    }
    platform::PngPicture rgba{3, 2, 4, {}};
    for (int i = 0; i < 6; ++i) rgba.pixels.insert(rgba.pixels.end(), {uint8_t(40 * i), 90, 250, uint8_t(51 * i)});
    std::string error;
    if (!platform::writePng(seed("png", "alpha.png").string(), rgba, &error)) std::exit(1);
}

// Image files written by a graphics object, plain and run-length packed, with and
// without alpha; the first byte selects the "PIK" magic, which it stands for.
void images() {
    const struct {
        const char* name;
        int width, height, bpp;
        bool alpha;
        _compression code;
    } kinds[] = {
        {"plain16.img", 5, 3, 16, false, COMPRESSION_NONE},
        {"alpha16.img", 4, 4, 16, true, COMPRESSION_NONE},
        {"rle16.img", 9, 4, 16, true, COMPRESSION_RLE},
        {"rle15.img", 6, 2, 15, false, COMPRESSION_RLE},
    };
    for (const auto& k : kinds) {
        CGraphicsObject picture(nullptr, CXSize(k.width, k.height), k.bpp);
        const int n = k.width * k.height;
        for (int i = 0; i < n * 2; ++i) picture.GetDataPtr()[i] = static_cast<char>(i / 6 * 37);
        if (k.alpha) {
            char* alpha = new char[n];
            for (int i = 0; i < n; ++i) alpha[i] = static_cast<char>(i < n / 2 ? 255 : i * 20);
            picture.GetChannelAlpha() = alpha;
            picture.GetChannelSize(3) = n;
        }
        picture.SetPosition(k.width - 7, 3);
        if (k.code == COMPRESSION_RLE) picture.Compress(COMPRESSION_RLE);
        const fs::path file = g_root / "image.tmp";
        picture.Save(CXString(enginePath(file).c_str()), k.code);
        const std::string bytes = readBytes(file);
        fs::remove(file);
        if (bytes.size() < 4) std::exit(1);
        writeBytes(seed("image", k.name), std::string(1, '\0') + bytes.substr(4));
    }
}

// JPEG files of the image library's encoder: colour with and without chroma
// subsampling, and grey.
std::string jpeg(int width, int height, int components, bool subsampled) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (!subsampled)
        for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * components);
    while (info.next_scanline < info.image_height) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 13 + info.next_scanline * 29);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<char*>(out), size);
    std::free(out);
    return bytes;
}

void jpegs() {
    writeBytes(seed("jpeg", "rgb.jpg"), jpeg(8, 8, 3, false));
    writeBytes(seed("jpeg", "subsampled.jpg"), jpeg(17, 9, 3, true) + std::string(1, '\0'));  // odd: 15-bit
    writeBytes(seed("jpeg", "grey.jpg"), jpeg(5, 3, 1, false));
}

void putBE(std::string& b, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Signed-count run-length packing of one line, as layered images store channels.
std::string packBits(const std::string& line) {
    std::string out;
    for (size_t i = 0; i < line.size();) {
        size_t run = 1;
        while (i + run < line.size() && run < 128 && line[i + run] == line[i]) ++run;
        if (run > 1) {
            out += static_cast<char>(1 - static_cast<int>(run));
            out += line[i];
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < line.size() && literal < 128 &&
               (i + literal + 1 >= line.size() || line[i + literal] != line[i + literal + 1]))
            ++literal;
        out += static_cast<char>(literal - 1);
        out += line.substr(i, literal);
        i += literal;
    }
    return out;
}

// A channel of a layer: raw (code 0) or packed line by line (code 1).
std::string channel(int width, int height, int seedValue, bool packed) {
    std::vector<std::string> lines;
    for (int y = 0; y < height; ++y) {
        std::string line;
        for (int x = 0; x < width; ++x) line += static_cast<char>(x < width / 2 ? seedValue : seedValue + x * y);
        lines.push_back(line);
    }
    std::string out;
    putBE(out, packed ? 1 : 0, 2);
    if (!packed) {
        for (const std::string& l : lines) out += l;
        return out;
    }
    std::string data;
    for (const std::string& l : lines) {
        const std::string p = packBits(l);
        putBE(out, static_cast<uint32_t>(p.size()), 2);
        data += p;
    }
    return out + data;
}

// A layered 8-bit RGB file of two named layers (one with a transparency channel).
std::string psd(bool packed) {
    struct Layer {
        int top, left, bottom, right;
        std::vector<int> ids;
        std::string name;
    };
    const Layer layers[] = {{1, 2, 4, 6, {0, 1, 2}, "Red"}, {0, 5, 2, 8, {-1, 0, 1, 2}, "Half Blue"}};
    std::string records, data;
    putBE(records, 2, 2);
    for (const Layer& l : layers) {
        for (int v : {l.top, l.left, l.bottom, l.right}) putBE(records, static_cast<uint32_t>(v), 4);
        putBE(records, static_cast<uint32_t>(l.ids.size()), 2);
        std::vector<std::string> channels;
        for (int id : l.ids) channels.push_back(channel(l.right - l.left, l.bottom - l.top, 40 + id * 50, packed));
        for (size_t c = 0; c < l.ids.size(); ++c) {
            putBE(records, static_cast<uint32_t>(l.ids[c]) & 0xFFFF, 2);
            putBE(records, static_cast<uint32_t>(channels[c].size()), 4);
            data += channels[c];
        }
        records += "8BIMnorm";
        records += std::string("\xFF\x00\x00\x00", 4);
        std::string name(1, static_cast<char>(l.name.size()));
        name += l.name;
        while (name.size() % 4) name += '\0';
        putBE(records, static_cast<uint32_t>(8 + name.size()), 4);  // extra data: mask, ranges, name
        putBE(records, 0, 4);
        putBE(records, 0, 4);
        records += name;
    }
    records += data;
    std::string b("8BPS");
    putBE(b, 1, 2);
    b += std::string(6, '\0');
    putBE(b, 3, 2);
    putBE(b, 6, 4);
    putBE(b, 8, 4);
    putBE(b, 8, 2);
    putBE(b, 3, 2);
    putBE(b, 0, 4);  // colour-mode data
    putBE(b, 0, 4);  // image resources
    std::string layerInfo;
    putBE(layerInfo, static_cast<uint32_t>(records.size()), 4);
    layerInfo += records;
    putBE(b, static_cast<uint32_t>(layerInfo.size()), 4);
    return b + layerInfo;
}

void layered() {
    writeBytes(seed("psd", "raw.psd"), psd(false));
    writeBytes(seed("psd", "packed.psd"), psd(true));
    // The run-length target's form: width, height, one 16-bit length a line, the lines.
    for (const auto& [name, width, height] : {std::tuple{"lines.bin", 12, 3}, std::tuple{"wide.bin", 200, 2}}) {
        std::string lengths, data;
        for (int y = 0; y < height; ++y) {
            std::string line;
            for (int x = 0; x < width; ++x) line += static_cast<char>(x % 5 == 0 || x > width / 2 ? 7 : x * y);
            const std::string p = packBits(line);
            lengths += static_cast<char>(p.size() & 0xFF);
            lengths += static_cast<char>(p.size() >> 8);
            data += p;
        }
        writeBytes(seed("rle2", name), std::string{static_cast<char>(width), static_cast<char>(height)} + lengths + data);
    }
}

// ---- texts -----------------------------------------------------------------------

void inputScripts() {
    writeBytes(seed("inputscript", "session.txt"),
               "# a session\n10 move 650 300\n11 down left\n12 up left   # click\n20 key ENTER\n"
               "30 keydown LSHIFT\n31 key a\n32 keyup lshift\n40 down right\n40 up RIGHT\n41 move -5 0\n");
    writeBytes(seed("inputscript", "keys.txt"),
               "1 key ESC\r\n1 key F1\r\n2 keydown LEFT\r\n3 keyup LEFT\r\n2147483646 key SPACE\r\n");
}

void manifests() {
    writeBytes(seed("animmanifest", "events.txt"),
               "fps 12\nflags 0x40000\nopacity 200\nauthor the engine\ndescription two frames\n"
               "frame a.png 3 -2\nframe b.png\nevent WALK\n  frames 0 1 0\n  loop 0 2 3\n  fps 20\n"
               "  flags 0x100\n  position 1 name=mid step=2,-1 sound=sfx.wav opacity=9\nend\n");
    writeBytes(seed("animmanifest", "one.txt"), "frame b.png # one\nevent S\nframes 0\nend\n\n");
}

void structures() {
    const std::string text =
        "OBJECT=GAME\r\nGAME:TYPE=APPLICATION\r\nGAME:EPISODES=E1 E2\r\nGAME:SCENES=MENU\r\n"
        "GAME:STARTWITH=E1\r\nGAME:PATH=.\r\nGAME:VERSION=1.0\r\n"
        "OBJECT=E1\r\nE1:TYPE=EPISODE\r\nE1:SCENES=A, B\r\nE1:STARTWITH=B\r\nE1:PATH=e1\r\n"
        "OBJECT=E2\r\nE2:TYPE=EPISODE\r\nE2:SCENES=C\r\n"
        "OBJECT=A\r\nA:TYPE=SCENE\r\nA:PATH=a\r\nA:BACKGROUND=a.img\r\nA:MUSIC=m.wav\r\n"
        "OBJECT=B\r\nB:TYPE=SCENE\r\nOBJECT=C\r\nC:TYPE=SCENE\r\nOBJECT=MENU\r\nMENU:TYPE=SCENE\r\n";
    const fs::path plain = seed("structure", "application.def");
    writeBytes(plain, text);
    std::string error;
    if (!tools::codeDefinition(plain.string(), seed("structure", "coded.def").string(), tools::kDefaultCodeCycle, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
}

// A game written by the application's storeBinary: its "application.bin" starts the
// image target, the scenes' own images (objects of several kinds) the scene target.
void applicationImages() {
    const fs::path game = fs::absolute(g_root / "image-game");
    const std::string objects =
        "OBJECT=N\r\nN:TYPE=INTEGER\r\nN:VALUE=3\r\nOBJECT=T\r\nT:TYPE=STRING\r\nT:VALUE=x\r\n"
        "OBJECT=L\r\nL:TYPE=ARRAY\r\nOBJECT=TM\r\nTM:TYPE=TIMER\r\nTM:ELAPSE=100\r\nTM:ONTICK=B\r\n"
        "OBJECT=B\r\nB:TYPE=BEHAVIOUR\r\nB:CODE={N^ADD(1);T^ADD(\"y\");}\r\n"
        "OBJECT=__INIT__\r\n__INIT__:TYPE=BEHAVIOUR\r\n__INIT__:CODE={N^SET(5);@LOOP(B,0,3,1);}\r\n";
    fs::create_directories(game / "Dane");
    writeBytes(game / "Dane" / "application.def",
               "OBJECT=GAME\r\nGAME:TYPE=APPLICATION\r\nGAME:EPISODES=E1 E2\r\nGAME:STARTWITH=E1\r\n"
               "OBJECT=E1\r\nE1:TYPE=EPISODE\r\nE1:SCENES=A, B\r\nE1:STARTWITH=B\r\n"
               "OBJECT=E2\r\nE2:TYPE=EPISODE\r\nE2:SCENES=C\r\n"
               "OBJECT=A\r\nA:TYPE=SCENE\r\nA:PATH=a\r\nOBJECT=B\r\nB:TYPE=SCENE\r\nB:PATH=b\r\n"
               "OBJECT=C\r\nC:TYPE=SCENE\r\n");
    fs::create_directories(game / "Dane" / "a");
    fs::create_directories(game / "Dane" / "b");
    writeBytes(game / "Dane" / "GAME.cnv", "OBJECT=G\r\nG:TYPE=INTEGER\r\nG:VALUE=1\r\n");
    writeBytes(game / "Dane" / "a" / "A.cnv", objects);
    writeBytes(game / "Dane" / "b" / "B.cnv", "OBJECT=B\r\nB:ONINIT={N^SET(1);}\r\n" + objects);
    writeBytes(game / "Dane" / "C.cnv", "OBJECT=M\r\nM:TYPE=BOOL\r\nM:VALUE=TRUE\r\n");
    const CXString savedRoot = CWindow::rootPath;
    const CXString savedCd = CWindow::getCDPath();
    const std::string here = platform::getCurrentDirectory();
    CWindow::rootPath = CXString((enginePath(game) + "\\").c_str());
    CWindow::setCDPath(CXString(enginePath(game).c_str()));
    platform::setCurrentDirectory(enginePath(game / "Dane").c_str());
    {
        auto* parser = new CMC_StructureParser(fuzz::world(), CXString("application.def"));
        CMC_Application* application = parser->getMCApplication();
        if (application) application->storeBinary();
        delete application;
        delete parser;
        CMC_Behaviour::flushTrash();
    }
    platform::setCurrentDirectory(here.c_str());
    CWindow::rootPath = savedRoot;
    CWindow::setCDPath(savedCd);
    // The parser released the pools and runners that the script seeds use.
    CMC_VariableFactory::initialize();
    CMC_RunnerFactory::initialize();
    writeBytes(seed("application_image", "application.bin"), readBytes(game / "Dane" / "application.bin"));
    writeBytes(seed("scene_image", "A.bin"), readBytes(game / "Dane" / "a" / "A.bin"));
    writeBytes(seed("scene_image", "B.bin"), readBytes(game / "Dane" / "b" / "B.bin"));
    writeBytes(seed("scene_image", "C.bin"), readBytes(game / "Dane" / "C.bin"));
    std::error_code ignored;
    fs::remove_all(game, ignored);
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

// Package archives made by the packer, and a registry hive written by an install.
void packages() {
    const fs::path work = g_root / "package-work";
    fs::create_directories(work / "game1" / "Dane");
    writeBytes(work / "game1" / "Dane" / "a.cnv", "OBJECT=A\r\nA:TYPE=INTEGER\r\n");
    writeBytes(work / "game1" / "readme.txt", std::string(300, 'r'));
    std::string why;
    CSelfExtract::PackFolder(CXString(enginePath(work / "game1").c_str()),
                             CXString(enginePath(seed("package", "game1.pik")).c_str()), &why);
    CSelfExtract empty;
    empty.CreateArchive(CXString(enginePath(seed("package", "empty.pik")).c_str()));
    fs::copy_file(seed("package", "game1.pik"), work / "game1.pik");

    platform::FileRegistryStore store((work / "registry").string());
    platform::ScopedRegistryStore scoped(store);
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, CVondrelWEB::kEngineKey, "Path", "C:\\VW");
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, CVondrelWEB::kEngineKey, "File", "vw.exe");
    const fs::path start = fs::current_path();
    fs::current_path(work);
    CVondrelWEB::install(nullptr, "game1", "Gra = [pierwsza] 100%", "");
    fs::current_path(start);
    writeBytes(seed("registry", "user.txt"), readBytes(store.hivePath(platform::Hive::CurrentUser)));
    writeBytes(seed("registry", "machine.txt"), readBytes(store.hivePath(platform::Hive::LocalMachine)));
    fs::remove_all(work);
}

// Raw AVI files from the tools' writer, after the target's first byte (layout, sound).
void movies() {
    std::vector<std::string> frames;
    for (int n = 0; n < 4; ++n) {
        std::string frame;
        for (int i = 0; i < 6 * 4; ++i)
            frame += std::string{static_cast<char>(i * 10), static_cast<char>(n * 60), static_cast<char>(255 - i)};
        frames.push_back(frame);
    }
    writeBytes(seed("movie", "raw565.avi"), std::string(1, '\0') + tools::rawAvi(6, 4, 10, frames));
    writeBytes(seed("movie", "raw555.avi"), std::string(1, '\1') + tools::rawAvi(6, 4, 10, frames) + '\x05');
}

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
    netFrames();
    texts();
    sounds();
    sequences();
    pngs();
    images();
    jpegs();
    layered();
    inputScripts();
    manifests();
    structures();
    fonts();
    applicationImages();
    packages();
    movies();
    return 0;
}

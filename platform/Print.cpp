#include "platform/Print.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"

extern char** environ;

namespace platform {

namespace {

// PDF points per page pixel: the page is 300 dpi, a point 1/72 inch.
constexpr double kPointsPerPixel = 72.0 / 300.0;

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

bool makeFolders(const std::string& folder) {
    std::string path;
    size_t at = 0;
    while (at != std::string::npos) {
        at = folder.find('/', at + 1);
        path = folder.substr(0, at);
        if (path.empty()) continue;
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

struct PdfPrinter::Document {
    std::vector<unsigned char> bytes;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    bool pageOpen = false;

    ~Document() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

PdfPrinter::PdfPrinter(std::string folder, std::string destination, bool spool)
    : m_folder(std::move(folder)), m_destination(std::move(destination)), m_spool(spool) {}

PdfPrinter::~PdfPrinter() = default;

std::string PdfPrinter::defaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data) {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return base + "/vondrel/prints";
}

bool PdfPrinter::startDocument(const std::string&) {
    m_document = std::make_unique<Document>();
    m_document->surface = cairo_pdf_surface_create_for_stream(appendBytes, &m_document->bytes,
                                                              kA4Width * kPointsPerPixel, kA4Height * kPointsPerPixel);
    if (cairo_surface_status(m_document->surface) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "print: no PDF document: %s\n",
                     cairo_status_to_string(cairo_surface_status(m_document->surface)));
        m_document.reset();
        return false;
    }
    m_document->cr = cairo_create(m_document->surface);
    return true;
}

bool PdfPrinter::startPage() {
    if (!m_document || m_document->pageOpen) return false;
    m_document->pageOpen = true;
    return true;
}

void PdfPrinter::drawPicture(const RgbFrame& picture, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!m_document || !m_document->pageOpen || picture.width <= 0 || picture.height <= 0 || width <= 0 ||
        height <= 0 || picture.rgb.size() < static_cast<size_t>(picture.width) * picture.height * 3)
        return;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return;
    }
    cairo_surface_flush(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int32_t row = 0; row < picture.height; ++row) {
        auto* out = reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(row) * stride);
        const uint8_t* in = picture.rgb.data() + static_cast<size_t>(row) * picture.width * 3;
        for (int32_t column = 0; column < picture.width; ++column, in += 3)
            out[column] = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
    }
    cairo_surface_mark_dirty(image);
    cairo_t* cr = m_document->cr;
    cairo_save(cr);
    cairo_scale(cr, kPointsPerPixel, kPointsPerPixel);
    cairo_translate(cr, x, y);
    cairo_scale(cr, static_cast<double>(width) / picture.width, static_cast<double>(height) / picture.height);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
}

void PdfPrinter::endPage() {
    if (!m_document || !m_document->pageOpen) return;
    cairo_show_page(m_document->cr);
    m_document->pageOpen = false;
}

void PdfPrinter::endDocument() {
    if (!m_document) return;
    std::unique_ptr<Document> document = std::move(m_document);
    cairo_destroy(document->cr);
    document->cr = nullptr;
    cairo_surface_finish(document->surface);
    const cairo_status_t status = cairo_surface_status(document->surface);
    cairo_surface_destroy(document->surface);
    document->surface = nullptr;
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "print: the PDF failed: %s\n", cairo_status_to_string(status));
        return;
    }
    if (!makeFolders(m_folder)) {
        std::fprintf(stderr, "print: cannot make %s: %s\n", m_folder.c_str(), std::strerror(errno));
        return;
    }
    std::string path;
    for (int n = 1; n < 100000; ++n) {
        path = m_folder + "/DocPrint-" + std::to_string(n) + ".pdf";
        if (!exists(path)) break;
    }
    if (!writeFileAtomically(path.c_str(), document->bytes.data(), document->bytes.size())) {
        std::fprintf(stderr, "print: cannot write %s\n", path.c_str());
        return;
    }
    m_lastFile = path;
    std::fprintf(stderr, "print: %s\n", path.c_str());
    if (!m_spool || m_destination == "none") return;
    std::vector<std::string> words = {"lp"};
    if (!m_destination.empty()) {
        words.push_back("-d");
        words.push_back(m_destination);
    }
    words.push_back("--");
    words.push_back(path);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "lp", nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        std::fprintf(stderr, "print: lp did not start: %s\n", std::strerror(spawned));
        return;
    }
    int result = 0;
    while (waitpid(child, &result, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(result) || WEXITSTATUS(result) != 0) std::fprintf(stderr, "print: lp failed for %s\n", path.c_str());
}

bool RecordingPrinter::startDocument(const std::string& name) {
    if (failStartDocument || m_inDocument) return false;
    m_inDocument = true;
    m_document = name;
    return true;
}

bool RecordingPrinter::startPage() {
    if (failStartPage || !m_inDocument || m_inPage) return false;
    m_inPage = true;
    m_page = Page{m_document, {}};
    return true;
}

void RecordingPrinter::drawPicture(const RgbFrame& picture, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (m_inPage) m_page.draws.push_back(Draw{picture, x, y, w, h});
}

void RecordingPrinter::endPage() {
    if (!m_inPage) return;
    m_inPage = false;
    pages.push_back(std::move(m_page));
    m_page = Page();
}

void RecordingPrinter::endDocument() {
    if (!m_inDocument) return;
    m_inDocument = false;
    ++documents;
}

namespace {

std::atomic<IPrinter*> g_printer{nullptr};

}  // namespace

IPrinter& printer() {
    static RecordingPrinter fallback;
    IPrinter* current = g_printer.load();
    return current ? *current : fallback;
}

void setPrinter(IPrinter* p) { g_printer.store(p); }

bool isPrinterInstalled() { return g_printer.load() != nullptr; }

}  // namespace platform

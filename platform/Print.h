// Printing one document of pages of pictures. The printer asks for a device (the
// user may cancel), tells the page's size in pixels and whether it takes bitmaps,
// and draws 24-bit pictures stretched into rectangles of the page.
//
// Linux has no print dialog: PdfPrinter answers at once with an A4 landscape page at
// 300 dpi, draws each document as a PDF (one page per page) with cairo into
// "DocPrint-N.pdf" in its folder (the path on stderr) and, when spooling, hands the
// file to `lp` for the default queue or a named one. RecordingPrinter, for tests,
// keeps the pages drawn and has switches for each refusal.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Presenter.h"

namespace platform {

class IPrinter {
public:
    virtual ~IPrinter() = default;
    // The print dialog: false when the user cancels.
    virtual bool chooseDevice() = 0;
    // The page's printable size in pixels.
    virtual int32_t pageWidth() = 0;
    virtual int32_t pageHeight() = 0;
    // Whether the device takes bitmaps.
    virtual bool canDrawBitmaps() = 0;
    virtual bool startDocument(const std::string& name) = 0;
    virtual bool startPage() = 0;
    // Draws the picture stretched into the rectangle (x, y, width, height) of the page.
    virtual void drawPicture(const RgbFrame& picture, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void endPage() = 0;
    virtual void endDocument() = 0;
};

class PdfPrinter : public IPrinter {
public:
    static constexpr int32_t kA4Width = 3508;  // landscape at 300 dpi
    static constexpr int32_t kA4Height = 2480;

    // `folder` is native and made when missing; `destination` is the lp queue (empty:
    // the default one; "none": the file only); without `spool` nothing goes to lp.
    PdfPrinter(std::string folder, std::string destination, bool spool);
    ~PdfPrinter() override;

    bool chooseDevice() override { return true; }
    int32_t pageWidth() override { return kA4Width; }
    int32_t pageHeight() override { return kA4Height; }
    bool canDrawBitmaps() override { return true; }
    bool startDocument(const std::string& name) override;
    bool startPage() override;
    void drawPicture(const RgbFrame& picture, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void endPage() override;
    void endDocument() override;

    // The file of the last document; empty before one.
    const std::string& lastFile() const { return m_lastFile; }
    // The default folder: $XDG_DATA_HOME/vondrel/prints, else ~/.local/share/vondrel/prints.
    static std::string defaultFolder();

private:
    struct Document;
    std::string m_folder;
    std::string m_destination;
    bool m_spool;
    std::unique_ptr<Document> m_document;
    std::string m_lastFile;
};

class RecordingPrinter : public IPrinter {
public:
    struct Draw {
        RgbFrame picture;
        int32_t x, y, width, height;
    };
    struct Page {
        std::string document;
        std::vector<Draw> draws;
    };

    bool chooseDevice() override { return !cancel; }
    int32_t pageWidth() override { return width; }
    int32_t pageHeight() override { return height; }
    bool canDrawBitmaps() override { return bitmaps; }
    bool startDocument(const std::string& name) override;
    bool startPage() override;
    void drawPicture(const RgbFrame& picture, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void endPage() override;
    void endDocument() override;

    int32_t width = 4000;
    int32_t height = 3000;
    bool cancel = false;
    bool bitmaps = true;
    bool failStartDocument = false;
    bool failStartPage = false;
    // Pages ended, in order; documents ended.
    std::vector<Page> pages;
    int documents = 0;

private:
    std::string m_document;
    bool m_inDocument = false;
    bool m_inPage = false;
    Page m_page;
};

// The printer in force; a RecordingPrinter unless the host installs another.
IPrinter& printer();
// Installs one (not owned); null restores the default.
void setPrinter(IPrinter* printer);
// Whether one is installed (the default is not).
bool isPrinterInstalled();

class ScopedPrinter {
public:
    explicit ScopedPrinter(IPrinter& p) : m_prev(&printer()) { setPrinter(&p); }
    ~ScopedPrinter() { setPrinter(m_prev); }
    ScopedPrinter(const ScopedPrinter&) = delete;
    ScopedPrinter& operator=(const ScopedPrinter&) = delete;

private:
    IPrinter* m_prev;
};

}  // namespace platform

// The actual-size preference appended to a PDF: the original bytes kept,
// the catalog's new revision and its cross-reference entry at the offsets
// they claim, the trailer chained to the previous one.
#include "tools/sheetgen/pdf_print_scaling.h"

#include <gtest/gtest.h>

#include <string>

namespace sheetgen {
namespace {

// The shape of Qt's PDF writer output, shortened.
const std::string kPdf =
    "%PDF-1.4\n"
    "1 0 obj\n<<\n/Title (t)\n>>\nendobj\n"
    "2 0 obj\n<<\n/Type /Catalog\n/Pages 3 0 R\n>>\nendobj\n"
    "3 0 obj\n<<\n/Type /Pages\n/Kids [4 0 R]\n/Count 1\n>>\nendobj\n"
    "xref\n0 4\n0000000000 65535 f \n0000000009 00000 n \n"
    "0000000042 00000 n \n0000000092 00000 n \n"
    "trailer\n<<\n/Size 4 \n/Info 1 0 R\n/Root 2 0 R\n>>\nstartxref\n159 \n%%EOF\n";

long long numberAt(const std::string& text, std::size_t at) {
    return std::stoll(text.substr(at));
}

TEST(PdfPrintScaling, AppendsACatalogRevisionWhoseOffsetsHold) {
    const std::optional<std::string> out = withActualSizePrinting(kPdf);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->substr(0, kPdf.size()), kPdf);

    const std::size_t startxref = out->rfind("startxref\n");
    const long long xref = numberAt(*out, startxref + 10);
    ASSERT_EQ(out->compare(std::size_t(xref), 9, "xref\n2 1\n"), 0) << out->substr(kPdf.size());
    const long long catalog = numberAt(*out, std::size_t(xref) + 9);
    EXPECT_EQ(out->compare(std::size_t(catalog), 8, "2 0 obj\n"), 0);
    // Entries are exactly 20 bytes.
    EXPECT_EQ(out->compare(std::size_t(xref) + 9 + 10, 10, " 00000 n \n"), 0);

    const std::string update = out->substr(kPdf.size());
    EXPECT_NE(update.find("/Pages 3 0 R"), std::string::npos);
    EXPECT_NE(update.find("/ViewerPreferences << /PrintScaling /None >>"), std::string::npos);
    const std::string trailer = update.substr(update.find("trailer"));
    for (const char* entry : {"/Size 4\n", "/Root 2 0 R\n", "/Info 1 0 R\n", "/Prev 159\n"}) {
        EXPECT_NE(trailer.find(entry), std::string::npos) << entry;
    }
    EXPECT_EQ(out->substr(out->size() - 6), "%%EOF\n");
}

TEST(PdfPrintScaling, LeavesWhatItDoesNotUnderstandAlone) {
    EXPECT_FALSE(withActualSizePrinting(""));
    EXPECT_FALSE(withActualSizePrinting("not a pdf"));
    std::string preferred = kPdf;
    preferred.replace(preferred.find("/Pages 3 0 R"), 12,
                      "/Pages 3 0 R /ViewerPreferences << /FitWindow true >>");
    EXPECT_FALSE(withActualSizePrinting(preferred));
    std::string noTrailer = kPdf;
    noTrailer.erase(noTrailer.find("trailer"), 7);
    EXPECT_FALSE(withActualSizePrinting(noTrailer));
    std::string noCatalog = kPdf;
    noCatalog.replace(noCatalog.find("/Root 2 0 R"), 11, "/Root 9 0 R");
    EXPECT_FALSE(withActualSizePrinting(noCatalog));
}

}  // namespace
}  // namespace sheetgen

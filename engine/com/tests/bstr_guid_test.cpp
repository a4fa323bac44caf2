#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/com/bstr.h"
#include "engine/com/com_types.h"

namespace strovik {
namespace {

std::uint32_t bytePrefix(BSTR text) {
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const unsigned char*>(text) - 4, 4);
    return prefix;
}

TEST(Bstr, LayoutIsByteCountCharactersAndTerminator) {
    BSTR text = SysAllocString(u"Strova");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 6u);
    EXPECT_EQ(bytePrefix(text), 12u);
    EXPECT_EQ(std::u16string(text), u"Strova");
    EXPECT_EQ(text[6], u'\0');
    SysFreeString(text);

    // Embedded NULs count; a null source gives zeroed characters.
    const char16_t withNul[] = {u'a', u'\0', u'b'};
    BSTR binary = SysAllocStringLen(withNul, 3);
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(SysStringLen(binary), 3u);
    EXPECT_EQ(binary[2], u'b');
    EXPECT_EQ(binary[3], u'\0');
    EXPECT_EQ(utf8FromBstr(binary), std::string("a\0b", 3));
    SysFreeString(binary);

    BSTR zeroed = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(SysStringLen(zeroed), 4u);
    for (int i = 0; i <= 4; ++i) EXPECT_EQ(zeroed[i], u'\0');
    SysFreeString(zeroed);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST(Bstr, NullIsEmptyEverywhere) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(utf8FromBstr(nullptr), "");
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);  // too long to count in bytes
}

TEST(Bstr, Utf8RoundTripWithJapaneseAndSupplementaryCharacters) {
    const std::string japanese = "答案用紙 ﾒｿｯﾄﾞ put_Options /home/利用者/採点.jpg";
    BSTR text = bstrFromUtf8(japanese);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 39u);
    EXPECT_EQ(text[0], u'答');
    EXPECT_EQ(text[5], u'ﾒ');
    EXPECT_EQ(utf8FromBstr(text), japanese);
    SysFreeString(text);

    const std::string emoji = "a\xF0\x9F\x98\x80z";  // U+1F600 needs a surrogate pair
    const std::u16string utf16 = utf16FromUtf8(emoji);
    ASSERT_EQ(utf16.size(), 4u);
    EXPECT_EQ(utf16[1], 0xD83D);
    EXPECT_EQ(utf16[2], 0xDE00);
    EXPECT_EQ(utf8FromUtf16(utf16), emoji);
}

TEST(Bstr, MalformedTextBecomesReplacementCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(utf16FromUtf8("a\xFF"
                            "b"),
              u"a\uFFFDb");
    EXPECT_EQ(utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(utf16FromUtf8("\xE7\xAD"), u"\uFFFD\uFFFD");            // cut short
    EXPECT_EQ(utf8FromUtf16(std::u16string{u'x', char16_t(0xD800)}), "x" + replacement);
    EXPECT_EQ(utf8FromUtf16(std::u16string{char16_t(0xDC00), u'y'}), replacement + "y");
}

// File names that are not UTF-8 must reach the engine byte for byte.
TEST(Bstr, FileNameBytesCrossUnchanged) {
    for (int b = 0; b < 256; ++b) {
        const std::string name = "x" + std::string(1, char(b)) + "\xE3\x81\x8B.jpg";
        UniqueBstr text(bstrFromBytes(name));
        EXPECT_EQ(bytesFromBstr(text.get()), name) << b;
    }
    for (const std::string& bad : {std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                   std::string("\xE7\xAD"), std::string("\xEF\xBF\xBD")}) {
        UniqueBstr text(bstrFromBytes(bad));
        EXPECT_EQ(bytesFromBstr(text.get()), bad);
    }
    // Valid UTF-8 is the same text as before; a lone surrogate that stands
    // for no byte is still U+FFFD.
    UniqueBstr valid(bstrFromBytes("\xE3\x81\x8B\xF0\x9F\x98\x80"));
    EXPECT_EQ(std::u16string(valid.get(), SysStringLen(valid.get())),
              utf16FromUtf8("\xE3\x81\x8B\xF0\x9F\x98\x80"));
    const char16_t lone[] = {char16_t(0xDC7F), u'y'};
    UniqueBstr loneText(SysAllocStringLen(lone, 2));
    EXPECT_EQ(bytesFromBstr(loneText.get()), "\xEF\xBF\xBDy");
}

TEST(Bstr, UniqueBstrOwnsAndReleases) {
    UniqueBstr a(std::string_view("first"));
    EXPECT_EQ(a.utf8(), "first");
    BSTR* slot = a.out();
    EXPECT_EQ(*slot, nullptr);  // the old text was freed and the slot cleared
    *slot = bstrFromUtf8("second");
    UniqueBstr b(std::move(a));
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.utf8(), "second");
    BSTR raw = b.release();
    EXPECT_EQ(b.get(), nullptr);
    SysFreeString(raw);
}

TEST(Guid, KnownIdentifiersFormatAsRegistered) {
    EXPECT_EQ(formatGuid(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(formatGuid(IID_IClassFactory), "{00000001-0000-0000-C000-000000000046}");
    EXPECT_EQ(formatGuid(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(formatGuid(IID_ISupportErrorInfo), "{DF0B3D60-548F-101B-8E65-08002B2BD119}");
    EXPECT_EQ(formatGuid(CLSID_Strova), "{654636D5-7F01-4C28-A502-BF6D8425352D}");
    EXPECT_EQ(formatGuid(IID_IStrova), "{ED73A4FC-CA1A-4BCE-ADBD-7C4565D0B781}");
    EXPECT_EQ(formatGuid(LIBID_STROVIKLib), "{019FDDA1-52E5-4CAB-A9B7-7FDAC2C29479}");
    EXPECT_EQ(formatGuid(IID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(Guid, ParseAcceptsEitherCaseAndRejectsMalformedText) {
    const auto parsed = parseGuid("{654636d5-7f01-4c28-a502-bf6d8425352d}");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, CLSID_Strova);
    EXPECT_FALSE(*parsed == IID_IStrova);
    EXPECT_EQ(parseGuid(formatGuid(IID_ISupportErrorInfo)), IID_ISupportErrorInfo);

    EXPECT_FALSE(parseGuid("654636D5-7F01-4C28-A502-BF6D8425352D"));     // no braces
    EXPECT_FALSE(parseGuid("{654636D5-7F01-4C28-A502-BF6D8425352D"));    // one brace
    EXPECT_FALSE(parseGuid("{654636D5-7F01-4C28-A502BBF6D8425352D}"));   // dash missing
    EXPECT_FALSE(parseGuid("{654636D5-7F01-4C28-A502-BF6D8425352G}"));   // not hex
    EXPECT_FALSE(parseGuid("{654636D5-7F01-4C28-A502-BF6D8425352D0}"));  // too long
    EXPECT_FALSE(parseGuid(""));
}

TEST(Guid, EqualityLooksAtEveryField) {
    GUID a = CLSID_Strova;
    GUID b = a;
    EXPECT_TRUE(a == b);
    b.Data4[7] ^= 1;
    EXPECT_FALSE(a == b);
    b = a;
    b.Data3 ^= 1;
    EXPECT_FALSE(a == b);
}

}  // namespace
}  // namespace strovik

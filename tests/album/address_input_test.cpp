#include "workflow/address_input.h"

#include <gtest/gtest.h>

namespace tavimo {
namespace {

const QString kAlbumPrefix = QStringLiteral("http://music.tavimo.com/subject/");

struct AddressCase {
    const char *typed;
    const char *identifier;
    bool accepted;
};

// Typed album addresses reduce to the album number; only blanks around are trimmed and only plain
// digits pass.
TEST(AddressInput, AlbumAddressesReduceToPlainNumbers)
{
    const AddressCase cases[] = {
        {"http://music.tavimo.com/subject/1403307/", "1403307", true},
        {"http://music.tavimo.com/subject/1403307", "1403307", true},
        {"   http://music.tavimo.com/subject/1403307/  ", "1403307", true},
        {"1403307", "1403307", true},
        {"https://music.tavimo.com/subject/1403307/", "https:music.tavimo.comsubject1403307", false},
        {"http://music.tavimo.com/subject/1403307/?from=top", "1403307?from=top", false},
        {"http://music.tavimo.com/musician/104785/", "http:music.tavimo.commusician104785", false},
        {"HTTP://MUSIC.TAVIMO.COM/subject/1403307/", "HTTP:MUSIC.TAVIMO.COMsubject1403307", false},
        {"", "", false},
        {"   ", "", false},
        {"/ /", "", false},
        {"12 34", "12 34", false},
        {"-12", "-12", false},
        {"+12", "+12", false},
        {"1.5", "1.5", false},
        {"1e5", "1e5", false},
        {"1,000", "1,000", false},
        {"0x10", "0x10", false},
        {"\t12", "\t12", false},
        {"12\n", "12\n", false},
        {"１２３", "１２３", false},
    };
    for (const AddressCase &row : cases) {
        SCOPED_TRACE(row.typed);
        const QString identifier = IdentifierFromAddress(QString::fromUtf8(row.typed), kAlbumPrefix);
        EXPECT_EQ(identifier, QString::fromUtf8(row.identifier));
        EXPECT_EQ(ReadsAsNumber(identifier), row.accepted);
    }
}

} // namespace
} // namespace tavimo

#include "download/file_names.h"
#include "support/temp_root.h"
#include "tests/support/test_seed.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <random>

namespace tavimo {
namespace {

// Pieces titles are built from: scripts, emoji, combining marks, controls,
// path parts, dots and blanks.
const QStringList &titlePieces()
{
    static const QStringList pieces = {
        QStringLiteral("热门兆赫"),   QStringLiteral("歌手"),         QStringLiteral("😀"),
        QStringLiteral("👩‍👩‍👧"),     QStringLiteral("🇯🇵"),          QStringLiteral("e\u0301\u0302\u0303"),
        QStringLiteral("\u0308"),     QStringLiteral("a"),            QStringLiteral("Song "),
        QStringLiteral(".."),         QStringLiteral("/"),            QStringLiteral("\\"),
        QStringLiteral("."),          QStringLiteral(" "),            QStringLiteral("\t"),
        QStringLiteral("\r\n"),       QString(QChar(0)),              QString(QChar(0x1f)),
        QStringLiteral("?*:|\"<>"),   QStringLiteral("&#39;"),        QStringLiteral("Ωμέγα"),
        QStringLiteral("한국어"),      QStringLiteral("\u200b\u200d"), QString(QChar(0xd83d)),
        QString(QChar(0xdc00)),
    };
    return pieces;
}

QString generatedTitle(std::mt19937 &random)
{
    const QStringList &pieces = titlePieces();
    std::uniform_int_distribution<int> pick(0, int(pieces.size()) - 1);
    // A third of the titles run past any name limit (300 characters and more).
    const int pieceCount = std::uniform_int_distribution<int>(0, 2)(random) == 0 ? 300 : 12;
    QString title;
    for (int i = 0; i < pieceCount; ++i)
        title += pieces.at(pick(random));
    if (random() % 2)
        title += QStringLiteral(". . ");
    return title;
}

bool isWholeUtf16(const QString &text)
{
    return QString::fromUtf8(text.toUtf8()) == text;
}

// Every generated title becomes the same name each time, a name that fits
// one file-system name with the track extension and the temporary suffix,
// keeps its characters whole and can be created as a file.
TEST(GeneratedNames, EveryTitleBecomesACreatableName)
{
    const tavimo::test::TestSeed seed;
    std::mt19937 random(seed.value());
    test::TempRoot root;
    for (int i = 0; i < 10000; ++i) {
        const QString title = generatedTitle(random);
        const QString name = CleanFileName(title);
        const QString partName = name + QLatin1String(kTrackExtension) + QLatin1String(kPartialSuffix);
        ASSERT_EQ(CleanFileName(title), name) << title.toStdString();
        ASSERT_LE(partName.toUtf8().size(), kMaxFileNameBytes) << title.toStdString();
        ASSERT_TRUE(isWholeUtf16(name)) << title.toStdString();
        ASSERT_FALSE(name.contains(u'/') || name.contains(QChar(0))) << title.toStdString();
        QFile file(root.file(partName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << title.toStdString() << ": " << file.errorString().toStdString();
        file.close();
        ASSERT_TRUE(file.rename(root.file(name + QLatin1String(kTrackExtension)))
                    || QFile::exists(root.file(name + QLatin1String(kTrackExtension))))
            << title.toStdString();
    }
}

} // namespace
} // namespace tavimo

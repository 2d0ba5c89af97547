#include "download/download_root.h"

#include "tests/support/temp_root.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace tavimo {
namespace {

// A writable program folder is the root itself.
TEST(DownloadRoot, WritableProgramFolderIsTheRoot)
{
    test::TempRoot program;
    test::TempRoot music;
    EXPECT_EQ(ResolveDownloadRoot(program.path() + QStringLiteral("/"), music.path()), program.path());
    EXPECT_FALSE(QFileInfo::exists(music.file(QStringLiteral("TavimoFM"))));
}

// A program folder that cannot be written falls back to the music folder's
// "TavimoFM", created when missing.
TEST(DownloadRoot, FallsBackToTheMusicFolder)
{
    test::TempRoot music;
    const QString unusable = music.file(QStringLiteral("no/such/program/folder"));
    EXPECT_EQ(ResolveDownloadRoot(unusable, music.path()), music.path() + QStringLiteral("/TavimoFM"));
    EXPECT_TRUE(QFileInfo(music.file(QStringLiteral("TavimoFM"))).isDir());
}

// When neither folder can be used the root is empty, so start-up can say so.
TEST(DownloadRoot, EmptyWhenNothingCanBeCreated)
{
    test::TempRoot scratch;
    scratch.write(QStringLiteral("plain-file"), "x");
    const QString underAFile = scratch.file(QStringLiteral("plain-file"));
    EXPECT_EQ(ResolveDownloadRoot(underAFile, underAFile), QString());
    EXPECT_EQ(ResolveDownloadRoot(underAFile, QString()), QString());
}

} // namespace
} // namespace tavimo

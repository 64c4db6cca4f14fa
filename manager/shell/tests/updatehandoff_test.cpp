// The hand-off file's bytes as the manager writes them, and starting the updater.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "common/devlistfile.h"
#include "manager/shell/updatehandoff.h"
#include "manager/shell/updaterlauncher.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::vector<TDevListRow> kRows = {
    {"2.75.86.0.0.1", "192.168.1.20", "大门", "V2.6.0", "192.168.1.2", "SIP520"},
    {"2.75.86.0.0.2", "192.168.1.21", "Hall", "V2.5.1", "192.168.1.2", "SIP310"},
    {"2.75.86.0.0.3", "", "", "", "", ""},
};

TEST(UpdateHandoff, FileBytes) {
    struct Case {
        const char* name;
        std::vector<std::size_t> selected;  // empty: all rows (the menu and toolbar commands)
        bool all;
        std::string bytes;
    } cases[] = {
        {"all rows",
         {},
         true,
         "2.75.86.0.0.1;192.168.1.20;\xB4\xF3\xC3\xC5;V2.6.0;192.168.1.2;SIP520\r\n"
         "2.75.86.0.0.2;192.168.1.21;Hall;V2.5.1;192.168.1.2;SIP310\r\n"
         "2.75.86.0.0.3;;;;;\r\n"},
        {"selected rows in list order",
         {2, 1, 7},
         false,
         "2.75.86.0.0.2;192.168.1.21;Hall;V2.5.1;192.168.1.2;SIP310\r\n"
         "2.75.86.0.0.3;;;;;\r\n"},
        {"no row", {}, false, ""},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        std::string folder = dir.path().toStdString();
        std::string error;
        std::vector<TDevListRow> rows = c.all ? kRows : PickHandoffRows(kRows, c.selected);
        ASSERT_TRUE(WriteUpdateHandoff(folder, rows, &error)) << error;
        EXPECT_EQ(ReadAll(folder + "/~devlist.lst"), c.bytes) << c.name;
        // The updater reads back what the manager wrote.
        EXPECT_EQ(ParseDevList(c.bytes), rows) << c.name;
    }
}

TEST(UpdateHandoff, ReplacesAnOldFileAndReportsErrors) {
    QTemporaryDir dir;
    std::string folder = dir.path().toStdString();
    std::string error;
    std::ofstream(folder + "/~devlist.lst") << "old;content;that;is;much;longer\r\n"
                                            << std::string(500, 'x');
    ASSERT_TRUE(WriteUpdateHandoff(folder, {kRows[1]}, &error));
    EXPECT_EQ(ReadAll(folder + "/~devlist.lst"),
              "2.75.86.0.0.2;192.168.1.21;Hall;V2.5.1;192.168.1.2;SIP310\r\n");
    EXPECT_FALSE(WriteUpdateHandoff(folder + "/no/such/folder", kRows, &error));
    EXPECT_NE(error.find("~devlist.lst"), std::string::npos) << error;
}

// A stand-in updater: a script that records its arguments, then takes a moment to end.
void WriteFakeUpdater(const QString& folder) {
    QFile script(UpdaterProgramPath(folder));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nsleep 0.3\necho \"$@\" > \"$(dirname \"$0\")/args.txt\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(UpdaterLauncher, WaitsForTheUpdaterAndPassesTheHomeFolder) {
    QTemporaryDir programs, home;
    WriteFakeUpdater(programs.path());
    const std::string args = programs.path().toStdString() + "/args.txt";

    ASSERT_TRUE(RunUpdaterAndWait(programs.path(), programs.path()));
    EXPECT_EQ(ReadAll(args), "\n") << "no arguments when the manager runs on its own folder";

    ASSERT_TRUE(RunUpdaterAndWait(programs.path(), home.path()));
    EXPECT_EQ(ReadAll(args), "--home " + home.path().toStdString() + "\n");

    QTemporaryDir empty;
    EXPECT_FALSE(RunUpdaterAndWait(empty.path(), empty.path())) << "no updater to start";
}

}  // namespace

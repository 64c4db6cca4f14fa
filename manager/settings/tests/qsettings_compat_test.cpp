// The stores read what QSettings wrote for the same names, and QSettings reads what they write.
#include <gtest/gtest.h>

#include <QSettings>
#include <filesystem>
#include <random>

#include "manager/settings/settingsstore.h"

TEST(QSettingsCompatibility, BothReadWhatTheOtherWrote) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("qsettings_compat_" + std::to_string(std::random_device{}()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(folder.string()));
    {
        QSettings qt(QSettings::NativeFormat, QSettings::UserScope, "Tarnix", "Drovik");
        qt.setValue("ShowUnknowDeviceType", 1);
        qt.setValue("Path", "/opt/pelmora, new/Pelmora \\ \"x\"");
    }
    const auto store = MakeSettingsStore({false, "Tarnix", "Drovik", folder.string()});
    EXPECT_EQ(store->ReadText("ShowUnknowDeviceType"), "1");
    EXPECT_EQ(store->ReadText("Path"), "/opt/pelmora, new/Pelmora \\ \"x\"");

    // QSettings rereads a file only when its size or time changed, and the time may not have
    // moved yet: the rewritten file differs in size.
    ASSERT_EQ(store->WriteText("Path", "@/usr/lib/pelmora/Pelmora; 程序文件").outcome,
              TStoreWrite::Written);
    QSettings qt(QSettings::NativeFormat, QSettings::UserScope, "Tarnix", "Drovik");
    EXPECT_EQ(qt.value("Path").toString().toStdString(), "@/usr/lib/pelmora/Pelmora; 程序文件");
    EXPECT_EQ(qt.value("ShowUnknowDeviceType").toInt(), 1);
    std::filesystem::remove_all(folder);
}

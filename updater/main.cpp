// Vellup: the batch firmware updater. Without arguments it shows its window; with --batch it
// runs one batch without a window (see batchmode.h).
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/widgets/prompter.h"
#include "common/widgets/windowlayout.h"
#include "updater/batchmode.h"
#include "updater/mainform.h"
#include "updater/programtexts.h"
#include "updater/updatefile.h"

namespace {

constexpr char kUsage[] =
    "usage: Vellup [--home DIR]\n"
    "       Vellup --help | --version\n"
    "       Vellup --batch --file UPDATE.bin [--list FILE] [--password TEXT | --password-file "
    "FILE] [--threads N] [--no-pak] [--retry N] [--report FILE.csv|FILE.xlsx] [--progress] [--home "
    "DIR]\n";

bool HasArgument(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == name) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Before any application object: these need no display.
    if (HasArgument(argc, argv, "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (HasArgument(argc, argv, "--version")) {
        std::printf("%s\n", kCaption);
        return 0;
    }
    if (HasArgument(argc, argv, "--batch")) {
        QCoreApplication app(argc, argv);
        TBatchOptions options;
        options.programFolder = Utf8Path(QCoreApplication::applicationDirPath().toStdString());
        std::string error;
        if (!ParseBatchArguments(args, &options, &error)) {
            std::fprintf(stderr, "%s\n%s", error.c_str(), kUsage);
            return kBatchNotStarted;
        }
        return RunBatch(options, stdout, stderr);
    }

    QApplication app(argc, argv);
    std::filesystem::path folder = Utf8Path(QCoreApplication::applicationDirPath().toStdString());
    if (args.size() == 2 && args[0] == "--home") {
        folder = Utf8Path(args[1]);
    } else if (!args.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    TDialogPrompter prompter;
    // Kept per user, never in the program folder.
    TUserLayoutStore layoutStore("Tarnix", "Vellup");
    TMainForm form(folder, prompter, {}, &layoutStore);
    form.show();
    int rc = app.exec();
    // Closing the window ends the program at once, also while workers still run.
    if (form.Busy()) {
        std::fflush(stdout);
        std::_Exit(rc);
    }
    return rc;
}

#include "cli/bookscommands.h"

#include <array>

#include "cli/clicommands.h"
#include "manager/books/bookscsv.h"
#include "manager/books/listfile.h"
#include "manager/shell/programfolder.h"

namespace {

constexpr const char* kUsage =
    "usage: pelmora-cli [--home DIR] books list contacts|multicasts|dl-contacts|dl-multicasts "
    "[--csv]\n"
    "       pelmora-cli [--home DIR] books import contacts|multicasts FILE.csv|FILE.xlsx\n"
    "       pelmora-cli [--home DIR] books export "
    "contacts|multicasts|dl-contacts|dl-multicasts FILE.csv|FILE.xlsx\n"
    "       pelmora-cli [--home DIR] books download contacts|zones TARGET ... "
    "[--user U --password P]\n";

struct TBookList {
    const char* name;
    const char* file;
    TBookKind kind;
    bool importable;
};

constexpr std::array<TBookList, 4> kLists{{
    {"contacts", kContactsFile, TBookKind::kContacts, true},
    {"multicasts", kMulticastsFile, TBookKind::kMulticasts, true},
    {"dl-contacts", kDlContactsFile, TBookKind::kContacts, false},
    {"dl-multicasts", kDlMulticastsFile, TBookKind::kMulticasts, false},
}};

struct TBooksArgs {
    std::string home;
    std::string action;  // list, import, export
    const TBookList* list = nullptr;
    std::string file;
    bool csv = false;
    bool help = false;
};

int Usage(std::ostream& err, const std::string& error) {
    err << "pelmora-cli: " << error << "\n" << kUsage;
    return kExitUsage;
}

// Splits args into options and words; the first word is "books" (else nothing is returned).
std::optional<std::vector<std::string>> BooksWords(const std::vector<std::string>& args,
                                                   TBooksArgs& parsed, std::string& error) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home" && i + 1 < args.size())
            parsed.home = args[++i];
        else if (args[i] == "--home")
            error = "--home needs a folder";
        else if (args[i] == "--csv")
            parsed.csv = true;
        else if (args[i] == "--help")
            parsed.help = true;
        else if (args[i].starts_with("--"))
            error = "unknown option " + args[i];
        else
            words.push_back(args[i]);
    }
    if (words.empty() || words[0] != "books") return std::nullopt;
    words.erase(words.begin());
    return words;
}

bool ParseBooksArgs(const std::vector<std::string>& words, TBooksArgs& parsed, std::string& error) {
    if (!error.empty()) return false;
    if (words.size() < 2) {
        error = "books needs an action and a list";
        return false;
    }
    parsed.action = words[0];
    for (const TBookList& list : kLists)
        if (words[1] == list.name) parsed.list = &list;
    const bool isList = parsed.action == "list";
    if (!isList && parsed.action != "import" && parsed.action != "export")
        error = "unknown books action " + parsed.action;
    else if (!parsed.list)
        error = "unknown list " + words[1];
    else if (parsed.action == "import" && !parsed.list->importable)
        error = "only contacts and multicasts can be imported";
    else if (words.size() != (isList ? 2u : 3u))
        error = isList ? "books list takes no file" : "books " + parsed.action + " needs a file";
    else if (parsed.csv && !isList)
        error = "--csv is for books list";
    if (!error.empty()) return false;
    if (!isList) parsed.file = words[2];
    return true;
}

int Fail(std::ostream& err, const std::string& where, const std::string& error) {
    err << "pelmora-cli: " << where << ": " << error << "\n";
    return kExitFailure;
}

}  // namespace

std::optional<int> RunBooksCli(const std::vector<std::string>& args,
                               const std::string& programFolder, std::ostream& out,
                               std::ostream& err) {
    TBooksArgs parsed;
    std::string error;
    const std::optional<std::vector<std::string>> words = BooksWords(args, parsed, error);
    if (!words) return std::nullopt;
    if (parsed.help) {
        out << kUsage;
        return kExitOk;
    }
    if (!ParseBooksArgs(*words, parsed, error)) return Usage(err, error);

    const std::string folder = WorkFolder(parsed.home, programFolder);
    const std::string path = ListFilePath(folder, parsed.list->file);
    const TBookKind kind = parsed.list->kind;

    if (parsed.action == "import") {
        TListRows rows;
        std::vector<TBookRefusal> refused;
        if (!AddBookFile(kind, parsed.file, rows, refused, &error))
            return Fail(err, parsed.file, error);
        // The list is replaced only by a file whose every row passes.
        for (const TBookRefusal& refusal : refused)
            err << "pelmora-cli: " << parsed.file << ": " << BookRefusalText(refusal) << "\n";
        if (!refused.empty()) return kExitFailure;
        if (!SaveListFile(rows, path, &error)) return Fail(err, path, error);
        err << "pelmora-cli: " << rows.size() << " rows written to " << path << "\n";
        return kExitOk;
    }

    TListRows rows;
    LoadListFile(rows, path, &error);
    if (!error.empty()) return Fail(err, path, error);
    if (parsed.action == "export") {
        if (!WriteBookFile(kind, rows, parsed.file, &error)) return Fail(err, parsed.file, error);
        return kExitOk;
    }
    if (parsed.csv) {
        out << BookCsv(kind, rows, true);
        return kExitOk;
    }
    for (const TListRow& row : rows) {
        out << row.number;
        for (std::size_t i = 0; i < 3; ++i)
            out << '\t' << row.Column(i);
        out << '\n';
    }
    return kExitOk;
}

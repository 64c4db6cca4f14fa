// The property editor: the modal dialog in which the user edits one terminal's parameter block.
//
// The caller copies the block in, sets the access address and the running network texts, and
// shows the dialog. At opening the dialog translates itself, decides the model family from the
// block, loads every page its family has and builds the page tree once. Save runs the pages'
// checks in page table order (the failing page is shown and its box focused), logs in, writes the
// shown pages into the dialog's block and ends with OK. Cancel and the close box end without
// writing anything. The pages come from a TPageRegistry (pageregistry.h).
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <string>

#include "manager/params/paramblock.h"
#include "manager/params/widgets/pageregistry.h"

class IPrompter;
class QLabel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

struct TFrmPropertyDeps {
    IPrompter* prompter = nullptr;
    const TPageRegistry* pages = nullptr;
    QString programFolder;  // holds "SysConfig.ini" and the Data folder
    // LoginDevice and LogoutDevice of the main window, with the access address and the MAC.
    std::function<bool(const std::string& ip, const TMacBytes& mac)> login;
    std::function<void(const std::string& ip, const TMacBytes& mac)> logout;
    // kv_search_one of the device-access library, for the address-book downloads.
    std::function<std::int32_t(const std::string& ip, TDeviceRecord* record)> searchOne;
    // The model's name as shown to the user ("undefined" counts as empty); none: the model name.
    std::function<QString(const std::string& model)> modelDisplayName;
};

class TFrmProperty : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmProperty(TFrmPropertyDeps deps, QWidget* parent = nullptr);

    void SetBlock(const TParamBlock& block) { block_ = block; }
    const TParamBlock& Block() const { return block_; }
    void SetAccessAddress(const std::string& address) { context_.accessAddress = address; }
    // IP address, subnet mask, gateway, primary and secondary DNS of the running terminal.
    void SetDisplayTexts(const std::array<QString, 5>& texts) { context_.displayTexts = texts; }

    // Fills the pages that block's family has from block; the run-information page only with
    // runInfo. The tree stays as built at opening.
    void LoadPages(const TParamBlock& block, bool runInfo);
    // Writes the pages that block's family has into block.
    void SavePages(TParamBlock& block) const;

    TEditorContext& Context() { return context_; }
    IPrompter& Prompter() { return *deps_.prompter; }

    void btnSaveClick();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Open();
    void BuildTree();
    void ShowEntryPage(const QTreeWidgetItem* item);
    void ApplyRestrictions(std::string_view entry, TPropertyPage* page) const;
    bool Present(const TPageEntry& entry) const;

    TFrmPropertyDeps deps_;
    TParamBlock block_;
    TEditorContext context_;
    std::map<std::string, TPropertyPage*, std::less<>> pages_;  // by entry name
    std::map<std::string, bool, std::less<>> shown_;            // entries switched on
    bool opened_ = false;
    bool opening_ = false;
    QString captionBase_, titleBase_;

    QLabel* pnlTitle;
    QTreeWidget* OrgTreeView;
    QTabWidget* RzPageControl1;
};

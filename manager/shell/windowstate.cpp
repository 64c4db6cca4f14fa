#include "manager/shell/windowstate.h"

#include <QByteArray>
#include <QHeaderView>
#include <QMainWindow>
#include <string>

#include "common/widgets/windowlayout.h"
#include "manager/settings/settingsstore.h"

namespace {

constexpr const char* kToolBars = "MainWindowState";

// The user's settings store holds texts: the layout's bytes are kept as Base64.
class TTextLayoutStore : public IWindowLayoutStore {
  public:
    explicit TTextLayoutStore(const ISettingsStore& store) : reader_(store) {}
    explicit TTextLayoutStore(ISettingsStore& store) : reader_(store), writer_(&store) {}

    QByteArray ReadBytes(const char* name) const override {
        const std::optional<std::string> text = reader_.ReadText(name);
        return text ? QByteArray::fromBase64(QByteArray::fromStdString(*text)) : QByteArray();
    }

    void WriteBytes(const char* name, const QByteArray& bytes) override {
        if (writer_ != nullptr) writer_->WriteText(name, bytes.toBase64().toStdString());
    }

  private:
    const ISettingsStore& reader_;
    ISettingsStore* writer_ = nullptr;
};

}  // namespace

void RestoreWindowState(QMainWindow& window, QHeaderView& columns, const ISettingsStore* store) {
    if (store == nullptr) return;
    const TTextLayoutStore layout(*store);
    RestoreWindowLayout(window, columns, &layout);
    window.restoreState(layout.ReadBytes(kToolBars));
}

void SaveWindowState(const QMainWindow& window, const QHeaderView& columns, ISettingsStore* store) {
    if (store == nullptr) return;
    TTextLayoutStore layout(*store);
    SaveWindowLayout(window, columns, &layout);
    layout.WriteBytes(kToolBars, window.saveState());
}

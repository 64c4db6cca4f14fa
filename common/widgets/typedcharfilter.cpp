#include "common/widgets/typedcharfilter.h"

#include <QKeyEvent>
#include <QWidget>
#include <utility>

TTypedCharacterFilter::TTypedCharacterFilter(QString allowed, QObject* parent)
    : QObject(parent), allowed_(std::move(allowed)) {}

bool TTypedCharacterFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        for (const QChar c : typed)
            if (c.isPrint() && !allowed_.contains(c)) return true;
    }
    return QObject::eventFilter(watched, event);
}

void AllowTypedCharacters(QWidget* box, const QString& allowed) {
    box->installEventFilter(new TTypedCharacterFilter(allowed, box));
}

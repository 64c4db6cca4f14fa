// The mnemonic walk's verdict on small windows: which buttons need a letter of their own.
#include "common/widgets/testing/mnemonicclashes.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <functional>

namespace {

using TMake = std::function<QAbstractButton*(QWidget*)>;

TEST(MnemonicProblems, CheckBoxesAndRadioButtonsNeedAMnemonicOfTheirOwn) {
    const TMake check = [](QWidget* form) { return new QCheckBox(form); };
    const TMake radio = [](QWidget* form) { return new QRadioButton(form); };
    const TMake push = [](QWidget* form) { return new QPushButton(form); };
    const TMake tool = [](QWidget* form) { return new QToolButton(form); };
    struct Case {
        const char* name;
        TMake make;
        QString caption;
        QString beside;  // a push button's caption in the same window; empty: none
        std::string problems;
    } cases[] = {
        {"check box without", check, QStringLiteral("自动挂断"), "", "no mnemonic: box"},
        {"radio button without", radio, "Allowed", "", "no mnemonic: box"},
        {"a doubled & is a character", check, "Include R&&D.pak", "", "no mnemonic: box"},
        {"check box with", check, QStringLiteral("自动挂断(&H)"), "&Save", ""},
        {"shared with a button", radio, "&Hold", "&Help", "Alt+H: box, btnBeside"},
        {"no caption yet", check, "", "", ""},
        {"symbols only", push, QStringLiteral("▲"), "", ""},
        {"tool button", tool, "Browse", "", ""},
    };
    for (const Case& c : cases) {
        QWidget form;
        QAbstractButton* box = c.make(&form);
        box->setObjectName("box");
        box->setText(c.caption);
        if (!c.beside.isEmpty()) (new QPushButton(c.beside, &form))->setObjectName("btnBeside");
        EXPECT_EQ(MnemonicProblems(&form), c.problems) << c.name;
    }
}

}  // namespace

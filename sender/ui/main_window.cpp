#include "main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "command_line.h"
#include "editor.h"

namespace morvale::ui {

namespace {

const char* const kControlIdProperty = "controlId";

struct ButtonSpec {
    int x, y, width, height;
    const char* caption;
    const char* toolTip;
};

// Ids 1 to 14 in order.
constexpr ButtonSpec kButtons[] = {
    {0, 0, 90, 40, "Laden", "Datei laden"},     {100, 0, 90, 40, "Senden", "geladene Datei senden"},
    {220, 0, 40, 20, "F1", "Funktionstaste"},   {260, 0, 40, 20, "F2", "Funktionstaste"},
    {300, 0, 40, 20, "F3", "Funktionstaste"},   {340, 0, 40, 20, "F4", "Funktionstaste"},
    {380, 0, 40, 20, "F5", "Funktionstaste"},   {420, 0, 40, 20, "F6", "Funktionstaste"},
    {220, 21, 40, 20, "BRK", "Funktionstaste"}, {260, 21, 40, 20, "STOP", "Funktionstaste"},
    {300, 21, 40, 20, "INS", "Funktionstaste"}, {340, 21, 40, 20, "DEL", "Funktionstaste"},
    {380, 21, 40, 20, "CLR", "Funktionstaste"}, {420, 21, 40, 20, "HOME", "Funktionstaste"},
};

struct MenuItemSpec {
    int menuId;
    const char* text;  // UTF-8
    bool checkable = false;
};

// The menu "KC", in order.
constexpr MenuItemSpec kKcItems[] = {
    {201, "Als BASIC-Programm laden"},
    {202, "BASIC-Programm vom KC holen\u2026"},
    {203, "Speicher vom KC holen\u2026"},
    {204, "Hochladen pr\u00FCfen", true},
};

void setControlId(QWidget* widget, int controlId) {
    widget->setProperty(kControlIdProperty, controlId);
    widget->setObjectName(QStringLiteral("control%1").arg(controlId));
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral(" Morvale"));
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFixedSize(kClientWidth, kCompactHeight);
    move(236, 147);

    // The menu bar lies inside the client area; the controls start below its
    // row, whose height is known once it holds its menu.
    menuBar_ = new QMenuBar(this);
    createMenu();
    createKcMenu();
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, kClientWidth, menuHeight);

    createControls(menuHeight);
    commandLine_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::createControls(int top) {
    // Creation order is the tab order: 1, 2, 3 to 14, (label), 16, 15.
    for (int i = 0; i < 14; ++i) {
        const ButtonSpec& spec = kButtons[i];
        auto* button = new QPushButton(QString::fromUtf8(spec.caption), this);
        button->setGeometry(spec.x, spec.y + top, spec.width, spec.height);
        button->setToolTip(QString::fromUtf8(spec.toolTip));
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAutoDefault(false);
        const int controlId = i + 1;
        setControlId(button, controlId);
        connect(button, &QPushButton::clicked, this,
                [this, controlId] { emit controlClicked(controlId); });
        buttons_[i] = button;
    }

    label_ = new QLabel(QStringLiteral("Kommando eingeben:"), this);
    label_->setGeometry(0, 40 + top, 250, 15);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_->setFocusPolicy(Qt::NoFocus);
    setControlId(label_, 0);

    commandLine_ = new CommandLine(this);
    commandLine_->setGeometry(0, 55 + top, kClientWidth, 20);
    commandLine_->setToolTip(QStringLiteral("'ENTER' sendet Eingabe"));
    setControlId(commandLine_, 16);
    connect(commandLine_, &CommandLine::returnKey, this, &MainWindow::returnKey);

    editor_ = new Editor(this);
    editor_->setGeometry(0, 80 + top, kClientWidth, 385);
    editor_->setToolTip(QStringLiteral("geladener zu sendender TEXT"));
    setControlId(editor_, 15);
}

void MainWindow::createMenu() {
    QMenu* menu = menuBar_->addMenu(QStringLiteral("Schnittstelle"));
    menu->setToolTipsVisible(true);
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::portMenuShowing);
    for (int menuId = 1; menuId <= 4; ++menuId) {
        QAction* item = menu->addAction(QStringLiteral("COM%1").arg(menuId));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, menuId] {
            // Qt has toggled the check already; show the program's choice until
            // the program makes another.
            showPortChecks();
            emit menuChosen(menuId);
        });
        portItems_[menuId - 1] = item;
    }
    showPortChecks();
}

void MainWindow::createKcMenu() {
    QMenu* menu = menuBar_->addMenu(QStringLiteral("KC"));
    for (const MenuItemSpec& spec : kKcItems) {
        QAction* item = menu->addAction(QString::fromUtf8(spec.text));
        const int menuId = spec.menuId;
        if (spec.checkable) {
            item->setCheckable(true);
            kcChecks_[menuId] = false;
        }
        connect(item, &QAction::triggered, this, [this, menuId] {
            // Qt has toggled a checkable item already; the program decides.
            showKcChecks();
            emit menuChosen(menuId);
        });
        kcItems_[menuId] = item;
    }
    showKcChecks();
}

QWidget* MainWindow::control(int controlId) const {
    if (controlId >= 1 && controlId <= 14) {
        return buttons_[controlId - 1];
    }
    if (controlId == 15) {
        return editor_;
    }
    if (controlId == 16) {
        return commandLine_;
    }
    return nullptr;
}

int MainWindow::controlIdOf(const QWidget* widget) {
    if (widget == nullptr) {
        return -1;
    }
    const QVariant id = widget->property(kControlIdProperty);
    if (!id.isValid()) {
        return -1;
    }
    const int value = id.toInt();
    return value >= 1 && value <= 16 ? value : -1;
}

QAction* MainWindow::portItem(int menuId) const {
    return menuId >= 1 && menuId <= 4 ? portItems_[menuId - 1] : nullptr;
}

QAction* MainWindow::kcItem(int menuId) const {
    const auto it = kcItems_.find(menuId);
    return it == kcItems_.end() ? nullptr : it->second;
}

void MainWindow::checkPortItem(int menuId) {
    if (menuId < 1 || menuId > 4) {
        return;
    }
    checkedPortItem_ = menuId;
    showPortChecks();
}

void MainWindow::checkKcItem(int menuId, bool checked) {
    if (const auto it = kcChecks_.find(menuId); it != kcChecks_.end()) {
        it->second = checked;
        showKcChecks();
    }
}

void MainWindow::showKcChecks() {
    for (const auto& [menuId, checked] : kcChecks_) {
        kcItems_.at(menuId)->setChecked(checked);
    }
}

void MainWindow::showPortChecks() {
    for (int i = 0; i < 4; ++i) {
        if (portItems_[i] != nullptr) {
            portItems_[i]->setChecked(i + 1 == checkedPortItem_);
        }
    }
}

void MainWindow::grow() {
    if (grown_) {
        return;
    }
    grown_ = true;
    setFixedSize(kClientWidth, kGrownHeight);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

}  // namespace morvale::ui

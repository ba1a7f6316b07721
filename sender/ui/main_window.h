// The sender's main window: buttons, label, command line, editor, the port
// menu and the menu "KC", at fixed positions in a window of fixed size. Both
// menus share the one menu row, so the controls lie where they always did.
//
// The window only shows and reports. Clicks, menu choices, the command
// line's Return key and the close box come out as signals; the close box
// never closes the window itself. Every control carries its numeric id in
// the dynamic property "controlId". The port menu shows its items' tool tips.
#pragma once

#include <QWidget>
#include <array>
#include <map>

class QAction;
class QLabel;
class QMenuBar;
class QPushButton;

namespace morvale::ui {

class CommandLine;
class Editor;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 460;
    static constexpr int kCompactHeight = 97;
    static constexpr int kGrownHeight = 486;

    explicit MainWindow(QWidget* parent = nullptr);

    // The control of an id (1 to 16), nullptr for any other id.
    QWidget* control(int controlId) const;
    // The id of a control of this window, -1 for any other widget.
    static int controlIdOf(const QWidget* widget);

    CommandLine* commandLine() const { return commandLine_; }
    Editor* editor() const { return editor_; }
    QMenuBar* menuBar() const { return menuBar_; }
    // The port item of menu id 1 to 4, nullptr for any other id.
    QAction* portItem(int menuId) const;
    // The item of the menu "KC" with menu id menuId (201 on), nullptr for
    // any other id.
    QAction* kcItem(int menuId) const;

    // Checks port item menuId and unchecks the others; the check marks show
    // only what was set here.
    void checkPortItem(int menuId);
    int checkedPortItem() const { return checkedPortItem_; }
    // Sets the check mark of a checkable item of the menu "KC"; as with the
    // port items, choosing it leaves the mark as it was set here.
    void checkKcItem(int menuId, bool checked);

    // Sets the client height to its full size once; never shrinks.
    void grow();
    bool isGrown() const { return grown_; }

  signals:
    void controlClicked(int controlId);
    void menuChosen(int menuId);
    void returnKey();
    void closeRequested();
    // The port menu is about to show.
    void portMenuShowing();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void createControls(int top);
    void createMenu();
    void createKcMenu();
    void showPortChecks();
    void showKcChecks();

    std::array<QPushButton*, 14> buttons_{};
    QLabel* label_ = nullptr;
    CommandLine* commandLine_ = nullptr;
    Editor* editor_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::array<QAction*, 4> portItems_{};
    std::map<int, QAction*> kcItems_;
    std::map<int, bool> kcChecks_;  // of the checkable items
    int checkedPortItem_ = 2;
    bool grown_ = false;
};

}  // namespace morvale::ui

#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "app/KorvaleApplication.h"
#include "app/ScreenManager.h"
#include "tests/kit/TempBook.h"

namespace kit {

// One run of the application in the test process, on the book's folder.
class App {
public:
    explicit App(const TempBook& book);
    ~App();

    Screen* screen(ScreenId id) { return app_->screens().screen(id); }
    // The way an operator gets there: NEXT on the entrance, a click on the splash frame, then the menu
    // item's shortcut. Returns the screen, shown and active, or null when it did not open.
    Screen* open(ScreenId id);
    // Whether the application has said the run is over, once the events now pending have been handled.
    bool ended();

private:
    std::unique_ptr<KorvaleApplication> app_;
    bool ended_ = false;
};

// Makes a window active, so that focus moves happen as they do for an operator.
bool activate(QWidget* window);

// Runs a script on a window, as an operator would: steps separated by "; ".
//   click NAME     a left click in the middle of the control (into a category box's text part)
//   tab, backtab   Tab or Shift+Tab on whatever holds the focus
//   type TEXT      typed key by key into whatever holds the focus, capitals with Shift; {BS} {DEL}
//                  {ENTER} {ESC} {HOME} {SHIFT+END} {CTRL+V} name keys, each with the code it types
//   compose TEXT   TEXT delivered by an input method (dead keys, compose) into the focused control
//   NAME=TEXT      placed into the field without typing, as a handler or a paste would
// Fails the running test, and returns false, on a step it cannot take.
bool play(QWidget* window, const QString& script);

// The name of the control that holds the focus; a category box's text part counts as the box.
QString focusName();
// What a field shows: a text box's text, or a category box's text part.
QString textOf(QWidget* window, const QString& name);
// The nine column fields, joined as a row is: what a look-up showed.
QString shownRow(QWidget* window);

}  // namespace kit

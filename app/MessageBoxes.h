#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { None, Information, Question };

// What a handler asks the operator: everything a box shows.
struct BoxRequest {
    QString text;
    QString title;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;
};

// The one way any screen shows a message box. Every box is modal and the handler waits for the answer.
// Tests install an answerer, so that no box is shown and nothing blocks.
class MessageBoxes {
public:
    static constexpr int kOk = 1;
    static constexpr int kYes = 6;
    static constexpr int kNo = 7;
    // The title of a box that is given none of its own.
    static constexpr const char* kApplicationTitle = "KORVALE";

    static int show(QWidget* owner, const QString& text, BoxButtons buttons = BoxButtons::Ok,
                    BoxIcon icon = BoxIcon::None, const QString& title = QString());

    using Answerer = std::function<int(const BoxRequest&)>;
    // Replaces the real boxes; an empty answerer brings them back.
    static void setAnswerer(Answerer answerer);
};

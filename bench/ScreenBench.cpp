// Record screens shown against bare copies, start-up against a bare Qt program, and peak memory.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>

#include "app/Fonts.h"
#include "app/MessageBoxes.h"
#include "app/ScreenList.h"
#include "bench/Bench.h"

namespace bench {

namespace {

// Tells when a window has first been painted: the moment the operator sees it.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) { window->installEventFilter(this); }
    // Spins the event loop: sleeping would put its own granularity into every figure.
    void wait() {
        QElapsedTimer clock;
        clock.start();
        while (!painted_ && clock.elapsed() < 10000) QCoreApplication::processEvents();
        if (!painted_) throw std::runtime_error("a window was never painted");
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        painted_ = painted_ || (watched == window_ && event->type() == QEvent::Paint);
        return false;
    }

private:
    QPointer<QWidget> window_;
    bool painted_ = false;
};

// Deletes what deleteLater queued, as a return to the event loop would.
void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Plain Qt widgets of the same kinds, places, texts, fonts, colours and focus, without what a screen adds.
QWidget* bareCopy(const QWidget& from, QWidget* parent, const QWidget* focus) {
    QWidget* w = nullptr;
    bool container = false;
    const auto* frame = qobject_cast<const QFrame*>(&from);
    if (const auto* combo = qobject_cast<const QComboBox*>(&from)) {
        auto* box = new QComboBox(parent);
        box->setEditable(combo->isEditable());
        for (int i = 0; i < combo->count(); ++i) box->addItem(combo->itemText(i));
        w = box;
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(&from)) {
        w = new QLineEdit(edit->text(), parent);
        static_cast<QLineEdit*>(w)->setMaxLength(edit->maxLength());
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&from)) {
        w = new QPushButton(button->text(), parent);
    } else if (const auto* label = qobject_cast<const QLabel*>(&from)) {
        auto* copy = new QLabel(label->text(), parent);
        copy->setAlignment(label->alignment());
        copy->setWordWrap(label->wordWrap());
        w = copy;
    } else {
        w = frame ? new QFrame(parent) : new QWidget(parent);
        container = true;
    }
    if (auto* copy = qobject_cast<QFrame*>(w)) copy->setFrameStyle(frame->frameStyle());
    parent ? w->setGeometry(from.geometry()) : w->setWindowTitle(from.windowTitle());
    if (from.testAttribute(Qt::WA_SetFont)) w->setFont(from.font());
    if (from.testAttribute(Qt::WA_SetPalette)) w->setPalette(from.palette());
    w->setAutoFillBackground(from.autoFillBackground());
    // Composite widgets make their inner parts themselves; the focus of a combo box rests on its line edit.
    if (&from == focus || (!container && from.isAncestorOf(focus))) w->setFocus();
    for (QObject* child : from.children()) {
        const auto* cw = qobject_cast<QWidget*>(child);
        if (container && cw && !cw->isWindow() && !cw->objectName().startsWith(QLatin1String("qt_")))
            bareCopy(*cw, w, focus);
    }
    return w;
}

// Load and Show as the screen switch makes them, until the first paint.
void show(ScreenManager& screens, ScreenId id) {
    screens.Load(id);
    FirstPaint paint(screens.screen(id));
    screens.Show(id);
    paint.wait();
}

Sample loadAndShow(ScreenManager& screens, ScreenId id) {
    const Sample s = timed([&] { show(screens, id); });
    screens.Unload(id);
    return flushDeletes(), s;
}

// The copy is made from the screen as it stands once shown, kept loaded and hidden meanwhile.
Sample bareShow(const QWidget& shown) {
    std::unique_ptr<QWidget> window;
    const Sample s = timed([&] {
        window.reset(bareCopy(shown, nullptr, shown.focusWidget()));
        FirstPaint paint(window.get());
        window->showMaximized();
        paint.wait();
    });
    window.reset();
    return flushDeletes(), s;
}

}  // namespace

std::vector<Figure> screenLoads(const Run& run) {
    std::vector<Figure> out;
    for (const ScreenEntry& screen : recordScreens()) {
        // Per book, the application's screen switch, and a second holding the screen the bare one copies.
        std::vector<std::unique_ptr<ScreenManager>> managers, models;
        for (const Book& book : run.books) {
            for (auto* list : {&managers, &models})
                list->emplace_back(std::make_unique<ScreenManager>(book.dir))
                    ->registerScreen(screen.id, screen.factory);
            show(*models.back(), screen.id);
            models.back()->screen(screen.id)->hide();
        }
        compare(
            out, std::string(screen.name) + ": Load and Show until painted", Figure::Unit::Cpu, run.sizes,
            run.reps(41),
            [&](bool floor, std::size_t b, std::size_t) {
                return floor ? bareShow(*models[b]->screen(screen.id)) : loadAndShow(*managers[b], screen.id);
            },
            1, 2);
    }
    return out;
}

// Wall clock from the spawn to the first frame, which each program reports; CPU time all the child used.
std::vector<Figure> startUp(const Run& run) {
    std::vector<Figure> out;
    compare(
        out, "QApplication and KorvaleApplication until ENT_FRM is painted", Figure::Unit::Cpu, {0},
        run.reps(31),
        [&](bool floor, std::size_t, std::size_t) {
            const Child child = runChild(
                {(run.programs / (floor ? "korvale-bench-start-bare" : "korvale-bench-start-korvale"))
                     .string()});
            return Sample{static_cast<double>(std::stoll(child.out) - child.spawnedNs) / 1e9, child.cpu};
        },
        1, 2);
    return out;
}

// A fresh process per book, so that each peak is that book's alone.
std::vector<Figure> peakMemory(const Run& run) {
    std::vector<Figure> out;
    for (const Book& book : run.books) {
        const Child child = runChild({(run.programs / "korvale-bench").string(), "--memory-probe",
                                      book.dir.string(), book.names.front()});
        out.push_back({"Peak resident (VmHWM): every record screen opened, one look-up", book.rows,
                       Figure::Unit::MiB, std::stod(child.out) / 1024});
    }
    return out;
}

// Every record screen opened as the menu opens them, a look-up by the deletion screen's OK, the peak in KiB.
int memoryProbe(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    registerFontSubstitutes();
    QApplication::setQuitOnLastWindowClosed(false);
    int boxes = 0;
    MessageBoxes::setAnswerer([&boxes](const BoxRequest&) { return ++boxes, MessageBoxes::kOk; });
    ScreenManager screens(argv[2]);
    std::optional<ScreenId> shown;
    for (const ScreenEntry& screen : screenList()) screens.registerScreen(screen.id, screen.factory);
    for (const ScreenEntry& screen : recordScreens()) {
        if (shown) screens.Unload(*shown);
        flushDeletes();
        show(screens, screen.id);
        shown = screen.id;
    }
    Screen* deletion = screens.screen(ScreenId::DELETE_FORM);
    deletion->findChild<QLineEdit*>(QStringLiteral("Text10"))->setText(QString::fromUtf8(argv[3]));
    deletion->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
    if (boxes ||
        deletion->findChild<QLineEdit*>(QStringLiteral("Text1"))->text() != QString::fromUtf8(argv[3]))
        throw std::runtime_error("the look-up showed another row");
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%s\n", line.substr(6).c_str());
    return 0;
}

}  // namespace bench

#include "CChecklistApp.h"
#include "CChecklistDlg.h"
#include "ChecklistDoc.h"
#include "RememberedFile.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// The screen's work that a user waits for: the start-up to the first frame shown, showing a very
// long checklist, and rebuilding the Lists menu of a file with very many checklists. Each is
// measured beside bare Qt widgets doing the same, on the offscreen platform, so that the ratio
// tells what the program adds on top of Qt.

namespace {

constexpr int longChecklistItems = 5'000;
constexpr int manyChecklists = 2'000;

// Settings store and documents folder of the run, in a temporary folder of its own.
class BenchHome {
public:
    BenchHome() {
        qputenv("HOME", folder.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (folder.path() + "/config").toUtf8());
        QDir().mkpath(folder.path() + "/config");
        QDir().mkpath(folder.path() + "/Documents");
    }
    // Makes path the file the next start opens.
    void Remember(const QString& path) { StoreRememberedFile(path.toUtf8().constData()); }
    QString Path(const QString& name) const { return folder.path() + '/' + name; }
    QString Write(const QString& name, const std::string& text) const {
        QFile file(Path(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text.data(), static_cast<qint64>(text.size()));
        return file.fileName();
    }

private:
    QTemporaryDir folder;
};

BenchHome* home = nullptr;

// Records that a widget received its first paint event.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Lets Qt deliver events until window has painted its first frame (children included: they
// are painted in the same pass as the window).
void UntilPainted(PaintWatch& watch) {
    for (int round = 0; !watch.painted; ++round) {
        if (round == 1'000'000) {
            std::fputs("the window was never painted\n", stderr);
            std::_Exit(2);
        }
        QCoreApplication::processEvents();
    }
}

// Runs the screen and hands it, shown, to work; the screen ends afterwards.
void WithScreen(const std::function<void(CChecklistDlg&)>& work) {
    CChecklistDlg screen;
    ScopedModalHook hook([&](CDialog& dialog) {
        if (&dialog == &screen) {
            work(screen);
        }
        dialog.EndDialog(IDCANCEL);
    });
    screen.DoModal();
}

std::string LongChecklistFile() {
    std::string file = "[$$CHECKLIST]\nLong list\n";
    for (int i = 0; i < longChecklistItems; ++i) {
        file += "Item " + std::to_string(i) + " ..... CHECKED AND SET\n";
    }
    return file + "[$$END]\n";
}

std::string ManyChecklistsFile() {
    std::string file;
    for (int k = 0; k < manyChecklists; ++k) {
        file += "[$$CHECKLIST]\nChecklist number " + std::to_string(k) + "\nItem\n[$$END]\n\n";
    }
    return file;
}

// The size the screen opens at, taken from a first run.
QSize ScreenSize() {
    static QSize size;
    if (!size.isValid()) {
        WithScreen([](CChecklistDlg& screen) { size = screen.size(); });
    }
    return size;
}

// The sample's first checklist, hot buttons and Lists menu in plain Qt widgets on dialog.
void FillWithTheScreensControls(QDialog& dialog) {
    ChecklistDoc document;
    document.LoadFile(TARVASTO_SAMPLES "/aviation.ckl");
    auto* layout = new QVBoxLayout(&dialog);
    auto* bar = new QMenuBar;
    layout->setMenuBar(bar);
    const std::vector<std::pair<QString, QStringList>> menus{
        {"File",
         {"New File", "Load", "Save", "Save As", "Import...", "Export...", "Configure Hot Buttons",
          "Exit"}},
        {"Edit",
         {"Undo", "Redo", "New Checklist", "Delete Checklist", "Rename Checklist", "Add Item",
          "Edit Item", "Delete Item", "Move item Up", "Move item down"}},
        {"Help", {"About"}},
    };
    for (const auto& [title, entries] : menus) {
        QMenu* menu = bar->addMenu(title);
        for (const QString& entry : entries) {
            menu->addAction(entry);
        }
    }
    QMenu* lists = bar->addMenu(QStringLiteral("Lists"));
    for (const Checklist& checklist : document.Checklists()) {
        lists->addAction(QString::fromUtf8(checklist.name));
    }
    Checklist* first = document.FirstChecklist();
    layout->addWidget(new QLabel(QString::fromUtf8(first->name)));
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    for (const ChecklistItem& item : first->Items()) {
        auto* row = new QTreeWidgetItem({QString::fromUtf8(item.text)});
        row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
        tree->addTopLevelItem(row);
    }
    layout->addWidget(tree);
    auto* buttons = new QHBoxLayout;
    for (const HotButtonSlot& slot : document.HotButtons()) {
        buttons->addWidget(new QPushButton(QString::fromUtf8(slot.caption)));
    }
    layout->addLayout(buttons);
}

// From constructing the screen (which opens the sample file) to its first frame.
void BM_StartUpToFirstFrame(benchmark::State& state) {
    home->Remember(QStringLiteral(TARVASTO_SAMPLES "/aviation.ckl"));
    for (auto _ : state) {
        PaintWatch watch;
        CChecklistDlg screen;
        screen.installEventFilter(&watch);
        ScopedModalHook hook([&](CDialog& dialog) {
            UntilPainted(watch);
            dialog.EndDialog(IDCANCEL);
        });
        screen.DoModal();
    }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond);

// A bare dialog of the screen's size, shown and painted the same way.
void BM_BareDialogToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        PaintWatch watch;
        QDialog dialog;
        dialog.installEventFilter(&watch);
        dialog.resize(ScreenSize());
        dialog.show();
        UntilPainted(watch);
        dialog.hide();
    }
}
BENCHMARK(BM_BareDialogToFirstFrame)->Unit(benchmark::kMillisecond);

// The screen's controls and texts made directly with Qt, shown and painted the same way.
void BM_SameControlsDialogToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        PaintWatch watch;
        QDialog dialog;
        FillWithTheScreensControls(dialog);
        dialog.installEventFilter(&watch);
        dialog.resize(ScreenSize());
        dialog.show();
        UntilPainted(watch);
        dialog.hide();
    }
}
BENCHMARK(BM_SameControlsDialogToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_ShowChecklistOf5000Items(benchmark::State& state) {
    home->Remember(home->Write("long.ckl", LongChecklistFile()));
    WithScreen([&](CChecklistDlg& screen) {
        Checklist* list = screen.Document()->FirstChecklist();
        for (auto _ : state) {
            screen.ShowChecklist(list);
        }
        state.counters["items"] = screen.Tree().GetCount();
    });
}
BENCHMARK(BM_ShowChecklistOf5000Items)->Unit(benchmark::kMillisecond);

// The same texts into a shown bare tree of the same size, with check boxes, cleared first.
void BM_BareTreeOf5000Items(benchmark::State& state) {
    std::vector<QString> texts;
    for (int i = 0; i < longChecklistItems; ++i) {
        texts.push_back(QStringLiteral("Item %1 ..... CHECKED AND SET").arg(i));
    }
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.resize(ScreenSize());
    tree.show();
    for (auto _ : state) {
        tree.clear();
        for (const QString& text : texts) {
            auto* item = new QTreeWidgetItem({text});
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
            tree.addTopLevelItem(item);
        }
    }
}
BENCHMARK(BM_BareTreeOf5000Items)->Unit(benchmark::kMillisecond);

void BM_ListsRebuildWith2000Checklists(benchmark::State& state) {
    home->Remember(home->Write("many.ckl", ManyChecklistsFile()));
    WithScreen([&](CChecklistDlg& screen) {
        for (auto _ : state) {
            screen.RebuildListsMenu();
            state.PauseTiming();
            // The replaced menu goes once control is back in the event loop.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            state.ResumeTiming();
        }
    });
}
BENCHMARK(BM_ListsRebuildWith2000Checklists)->Unit(benchmark::kMillisecond);

void BM_BareMenuOf2000Entries(benchmark::State& state) {
    std::vector<QString> names;
    for (int k = 0; k < manyChecklists; ++k) {
        names.push_back(QStringLiteral("Checklist number %1").arg(k));
    }
    for (auto _ : state) {
        auto* menu = new QMenu;
        for (int k = 0; k < manyChecklists; ++k) {
            menu->addAction(names[k])->setData(32780 + k);
        }
        state.PauseTiming();
        delete menu;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareMenuOf2000Entries)->Unit(benchmark::kMillisecond);

// A whole start of a program: this executable, started again with "--first-frame-of" what,
// ends at once when its first frame is painted. The real program starts through its application
// object (single-copy guard included); the bare one is a QApplication with a QDialog of the
// screen's size.
void RunToFirstFrame(benchmark::State& state, const char* what) {
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const std::string size =
        std::to_string(ScreenSize().width()) + "x" + std::to_string(ScreenSize().height());
    for (auto _ : state) {
        char* arguments[] = {const_cast<char*>(self.c_str()), const_cast<char*>("--first-frame-of"),
                             const_cast<char*>(what), const_cast<char*>(size.c_str()), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, self.c_str(), nullptr, nullptr, arguments, environ) != 0) {
            state.SkipWithError("cannot start a second copy");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the second copy failed");
            return;
        }
    }
}

void BM_ProgramStartToFirstFrame(benchmark::State& state) {
    RunToFirstFrame(state, "screen");
}
BENCHMARK(BM_ProgramStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareQtProgramStartToFirstFrame(benchmark::State& state) {
    RunToFirstFrame(state, "bare");
}
BENCHMARK(BM_BareQtProgramStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// A bare dialog holds no text, and the first text a Qt program shows costs it its font set-up;
// this reference shows the screen's controls and texts, made directly with Qt widgets.
void BM_QtProgramWithTheSameControlsToFirstFrame(benchmark::State& state) {
    RunToFirstFrame(state, "controls");
}
BENCHMARK(BM_QtProgramWithTheSameControlsToFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The program itself, ended by its first frame.
class FirstFrameApp : public CChecklistApp {
protected:
    bool InitInstance() override {
        ScopedModalHook hook([](CDialog& dialog) {
            PaintWatch watch;
            dialog.installEventFilter(&watch);
            UntilPainted(watch);
            std::_Exit(0);
        });
        return CChecklistApp::InitInstance();
    }
};

int StartToFirstFrame(int argc, char** argv) {
    if (std::strcmp(argv[2], "screen") == 0) {
        // The program reads its own command line: it is started as a user starts it, bare.
        FirstFrameApp app;
        app.Run(1, argv);
        return 1; // not reached when the screen was painted
    }
    QApplication application(argc, argv);
    int width = 0;
    int height = 0;
    std::sscanf(argv[3], "%dx%d", &width, &height);
    PaintWatch watch;
    QDialog dialog;
    if (std::strcmp(argv[2], "controls") == 0) {
        FillWithTheScreensControls(dialog);
    }
    dialog.installEventFilter(&watch);
    dialog.resize(width, height);
    dialog.show();
    UntilPainted(watch);
    std::_Exit(0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 4 && std::strcmp(argv[1], "--first-frame-of") == 0) {
        return StartToFirstFrame(argc, argv);
    }
    QApplication application(argc, argv);
    BenchHome benchHome;
    home = &benchHome;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

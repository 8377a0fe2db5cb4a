#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <sys/stat.h>
#include <vector>

#include "formats/catalogue.h"
#include "codec/check.h"
#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/script_file.h"
#include "codec/transcript.h"
#include "editors/colors.h"
#include "editors/dialogs.h"
#include "editors/document.h"
#include "editors/find_panel.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/list_box.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/problems_panel.h"
#include "editors/text.h"
#include "editors/script_tab.h"
#include "shell/help_window.h"
#include "shell/about_window.h"
#include "shell/close_prompt.h"
#include "shell/data_files.h"
#include "shell/flow_window.h"
#include "shell/appearance.h"
#include "shell/recent_files.h"

namespace {

// A name of the program's own (a layout, a table heading), plain ASCII.
QString latin1(std::string_view name) { return QString::fromLatin1(name.data(), qsizetype(name.size())); }

QString& settings_file_override() {
    static QString path;
    return path;
}

QString& skin_file_override() {
    static QString path;
    return path;
}

std::unique_ptr<QSettings> open_store() {
    if (!settings_file_override().isEmpty())
        return std::make_unique<QSettings>(settings_file_override(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application_title(),
                                       application_title());
}

// The busy cursor, from construction to the end of the scope, on every path.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// A borderless shape whose hatching lets the picture underneath show through.
class HatchShape : public QWidget {
public:
    HatchShape(Qt::BrushStyle style, const QColor& color, QWidget* parent)
        : QWidget(parent), brush_(color, style) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), brush_);
    }

private:
    QBrush brush_;
};

std::string file_name_bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The code page chosen for each file, most recent first, in the settings
// store: group "Form1.CodePages", an array of File and CodePage. Files read in
// windows-1252 are not listed.
constexpr int kRememberedCodePages = 100;
// Whether the first save over a file keeps a backup, in the settings store.
const QString kKeepBackupKey = QStringLiteral("Form1/KeepBackup");
const QString kCodePagesGroup = QStringLiteral("Form1.CodePages");

struct chosen_code_page {
    QString file;
    QString page;
};

std::vector<chosen_code_page> read_code_pages(QSettings& store) {
    std::vector<chosen_code_page> out;
    const int n = store.beginReadArray(kCodePagesGroup);
    for (int i = 0; i < n && i < kRememberedCodePages; ++i) {
        store.setArrayIndex(i);
        out.push_back({store.value(QStringLiteral("File")).toString(),
                       store.value(QStringLiteral("CodePage")).toString()});
    }
    store.endArray();
    return out;
}

}  // namespace

void TForm1::set_settings_file(const QString& path) { settings_file_override() = path; }
void TForm1::set_skin_file(const QString& path) { skin_file_override() = path; }

TForm1::TForm1(Dialogs& dialogs, QWidget* parent) : QMainWindow(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    document_ = new ScriptDocument(this);
    showCaption(QStringLiteral("<----\u00A1\u00A1 The Vellumark !!---->"));
    // Unsaved changes show as " *" after the caption, gone again once Undo
    // returns to the state last opened or saved.
    connect(document_, &ScriptDocument::modifiedChanged, this, [this](bool changed) {
        setWindowModified(changed);
        showCaption(caption_);
    });
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    // Every view shows line breaks as their symbols, in a face that has them.
    setFont(with_symbol_fallback(font));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kCream);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    central->setFixedSize(696, 526);
    setCentralWidget(central);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 696, 473);

    levels_ = new LevelsTab(*document_, dialogs_, PageControl1);
    media_ = new MediaTab(*document_, dialogs_, PageControl1);
    options_ = new OptionsTab(*document_, dialogs_, PageControl1);
    script_ = new ScriptTab(*document_, dialogs_, PageControl1);
    keys_ = new KeyStringsTab(*document_, dialogs_, PageControl1);
    PageControl1->addTab(levels_, QStringLiteral("Levels"));
    PageControl1->addTab(media_, QStringLiteral("Fmv/CutScenes"));
    PageControl1->addTab(options_, QStringLiteral("Options"));
    PageControl1->addTab(script_, QStringLiteral("Script Commands"));
    PageControl1->addTab(keys_, QStringLiteral("Key strings"));
    // The pages show the window's cream, not the style's near-white.
    for (QWidget* page : {static_cast<QWidget*>(levels_), static_cast<QWidget*>(media_),
                          static_cast<QWidget*>(options_), static_cast<QWidget*>(script_),
                          static_cast<QWidget*>(keys_)})
        page->setAutoFillBackground(true);
    // Selecting a level puts its number into the Script Commands tab's operand field.
    connect(levels_, &LevelsTab::levelSelected, script_, &ScriptTab::setOperand);
    PageControl1->setCurrentIndex(0);

    // The picture strip: 697 pixels wide, one more than the client area, so
    // its last column is cut off as the window's edge cuts it.
    Image1 = new QLabel(central);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 473, 697, 65);
    Image1->setScaledContents(true);
    const QColor blue(0, 128, 255);
    Shape1 = new HatchShape(Qt::BDiagPattern, blue, central);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(0, 473, 337, 65);
    Shape2 = new HatchShape(Qt::FDiagPattern, blue, central);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(337, 473, 697 - 337, 65);

    createActions();
    // The window takes the size of what it holds: the fixed client area, the
    // menu, and the Problems panel while it is shown below.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Every window starts in windows-1252.
    run_command([this] { showCodePage(vellumark::codepage::get(vellumark::codepage::kDefaultPage)); });

    connect(levels_->Button19, &QPushButton::clicked, this, &TForm1::SaveText1Click);
    connect(levels_->TrackBar1, &QSlider::valueChanged, this,
            [this](int points) { run_command([&] { set_list_font_size(*this, points); }); });

    setAcceptDrops(true);
    // Ctrl+S/X/C/V/F belong to the menu even inside text fields.
    qApp->installEventFilter(this);

    {
        auto store = open_store();
        recent_->read(*store);
    }
    FormCreate();

    // A window of its own, not the main window's child: a dialog modal to
    // the main window (the colour dialog) leaves it readable and scrollable.
    // Deleted with the main window.
    form5_ = new TForm5();
    form5_->setFont(font);
    form5_->hide();
    form6_ = new TForm6(dialogs_, this);
    form6_->hide();
    form8_ = new TForm8(this);
    form8_->hide();
    form8_->save = [this] { return save_command(); };
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    // The document goes with the window's children, after this object's own
    // members: what it announces then must not reach them.
    disconnect(document_, nullptr, this, nullptr);
    delete form5_;
    auto store = open_store();
    recent_->write(*store);
}

void TForm1::createActions() {
    auto action = [this](QMenu* menu, const char* name, const QString& text, void (TForm1::*slot)(),
                         const QKeySequence& key = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        if (slot) connect(a, &QAction::triggered, this, slot);
        menu->addAction(a);
        return a;
    };

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->setSeparatorsCollapsible(false);  // N3 ends the menu while the recent-files list is empty
    Open1 = action(File1, "Open1", QStringLiteral("&Open"), &TForm1::Open1Click);
    Save1 = action(File1, "Save1", QStringLiteral("Save"), &TForm1::Save1Click, QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAS1 = action(File1, "SaveAS1", QStringLiteral("Save As..."), &TForm1::SaveAS1Click);
    ExportTexts1 = action(File1, "ExportTexts1", QStringLiteral("Export texts for translation..."),
                          &TForm1::ExportTexts1Click);
    ImportTranslation1 =
        action(File1, "ImportTranslation1", QStringLiteral("Import translation..."), &TForm1::ImportTranslation1Click);
    ExportFlow1 = action(File1, "ExportFlow1", QStringLiteral("Export game flow picture..."), &TForm1::ExportFlow1Click);
    File1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Exit1 = action(File1, "Exit1", QStringLiteral("Exit"), &TForm1::Exit1Click, QKeySequence(Qt::CTRL | Qt::Key_X));
    N3 = File1->addSeparator();
    N3->setObjectName(QStringLiteral("N3"));

    EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    Copyscriptslot1 = action(EditMenu, "Copyscriptslot1", QStringLiteral("&Copy script slot"), nullptr,
                             QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(Copyscriptslot1, &QAction::triggered, this,
            [this] { run_command([this] { script_->Copyscriptslot1Click(); }); });
    Pastescriptslot1 = action(EditMenu, "Pastescriptslot1", QStringLiteral("&Paste script slot"), nullptr,
                              QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(Pastescriptslot1, &QAction::triggered, this,
            [this] { run_command([this] { script_->Pastescriptslot1Click(); }); });
    // Undo and Redo name the step they take back or make again.
    EditMenu->addSeparator();
    Undo1 = document_->undoStack()->createUndoAction(this, QStringLiteral("Undo"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = document_->undoStack()->createRedoAction(this, QStringLiteral("Redo"));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* a : {Undo1, Redo1}) {
        a->setShortcutContext(Qt::WindowShortcut);
        EditMenu->addAction(a);
    }
    // Find and replace across the script, in a panel below the tabs.
    EditMenu->addSeparator();
    find_ = new FindPanel(*document_, dialogs_, this);
    addDockWidget(Qt::BottomDockWidgetArea, find_);
    find_->hide();
    connect(find_, &FindPanel::goTo, this, &TForm1::goTo);
    Find1 = action(EditMenu, "Find1", QStringLiteral("Find..."), nullptr, QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(Find1, &QAction::triggered, find_, &FindPanel::open);
    FindNext1 = action(EditMenu, "FindNext1", QStringLiteral("Find Next"), nullptr, QKeySequence(Qt::Key_F3));
    connect(FindNext1, &QAction::triggered, this, [this] {
        if (find_->isHidden()) find_->open();
        find_->findNext();
    });
    FindPrevious1 = action(EditMenu, "FindPrevious1", QStringLiteral("Find Previous"), nullptr,
                           QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(FindPrevious1, &QAction::triggered, this, [this] {
        if (find_->isHidden()) find_->open();
        find_->findPrevious();
    });

    Level1 = menuBar()->addMenu(QStringLiteral("&Level"));
    Level1->setObjectName(QStringLiteral("Level1"));
    Level1->addActions(levels_->levelActions());

    OtherCommand1 = menuBar()->addMenu(QStringLiteral("Other Command"));
    OtherCommand1->setObjectName(QStringLiteral("OtherCommand1"));
    SaveText1 = action(OtherCommand1, "SaveText1", QStringLiteral("Save Text"), &TForm1::SaveText1Click);
    ChangeColor1 = action(OtherCommand1, "ChangeColor1", QStringLiteral("Change Color"), &TForm1::ChangeColor1Click);
    GameFlow1 = action(OtherCommand1, "GameFlow1", QStringLiteral("Game flow..."), &TForm1::GameFlow1Click);
    // On by default and remembered: the first save over a file after it was
    // opened keeps its previous bytes as NAME.bak.
    KeepBackup1 = action(OtherCommand1, "KeepBackup1", QStringLiteral("Keep a backup on first save"), nullptr);
    KeepBackup1->setCheckable(true);
    {
        auto store = open_store();
        KeepBackup1->setChecked(store->value(kKeepBackupKey, true).toBool());
    }
    connect(KeepBackup1, &QAction::toggled, this, [](bool on) {
        auto store = open_store();
        store->setValue(kKeepBackupKey, on);
        store->sync();
    });
    CodePage1 = OtherCommand1->addMenu(QStringLiteral("Code page"));
    CodePage1->setObjectName(QStringLiteral("CodePage1"));
    CodePages = new QActionGroup(this);
    for (const vellumark::codepage::page page : vellumark::codepage::kPages) {
        const std::string_view region = vellumark::codepage::region(page);
        auto* a = new QAction(QStringLiteral("Windows-%1 (%2)")
                                  .arg(vellumark::codepage::number(page))
                                  .arg(QString::fromLatin1(region.data(), qsizetype(region.size()))),
                              CodePages);
        a->setObjectName(QStringLiteral("CodePage%1").arg(vellumark::codepage::number(page)));
        a->setCheckable(true);
        a->setData(static_cast<int>(page));
        connect(a, &QAction::triggered, this, [this, page] { setCodePage(page); });
        CodePage1->addAction(a);
    }

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    HelpmePlease1 = action(Help1, "HelpmePlease1", QStringLiteral("Help me Please ?!"), &TForm1::HelpmePlease1Click);
    QAction* divider = action(Help1, "N2", QStringLiteral("_______________"), nullptr);
    divider->setEnabled(false);
    AboutThis1 = action(Help1, "AboutThis1", QStringLiteral("About This ..."), &TForm1::AboutThis1Click);

    // The Problems panel, hidden at start; the count stands in the menu bar.
    problems_ = new ProblemsPanel(*document_, this);
    addDockWidget(Qt::BottomDockWidgetArea, problems_);
    problems_->hide();
    connect(problems_, &ProblemsPanel::goTo, this, &TForm1::goTo);
    // Both panels open share the space below the tabs as two tabs; either
    // shown keeps the window on its screen.
    tabifyDockWidget(find_, problems_);
    for (QDockWidget* panel : {static_cast<QDockWidget*>(find_), static_cast<QDockWidget*>(problems_)})
        connect(panel, &QDockWidget::visibilityChanged, this, [this](bool shown) {
            if (shown) keepOnScreen();
        });
    Problems1 = problems_->toggleViewAction();
    Problems1->setText(QStringLiteral("Problems"));
    Problems1->setObjectName(QStringLiteral("Problems1"));
    OtherCommand1->addAction(Problems1);
    ProblemCount = new QToolButton(menuBar());
    ProblemCount->setObjectName(QStringLiteral("ProblemCount"));
    ProblemCount->setAutoRaise(true);
    ProblemCount->setToolTip(QStringLiteral("Show or hide the Problems panel"));
    // Text only: empty, it is no taller than with a count, so the menu bar
    // keeps its height while no script is open.
    ProblemCount->setToolButtonStyle(Qt::ToolButtonTextOnly);
    menuBar()->setCornerWidget(ProblemCount);
    connect(ProblemCount, &QToolButton::clicked, Problems1, &QAction::trigger);
    connect(problems_, &ProblemsPanel::summaryChanged, this, &TForm1::showProblemCount);
    showProblemCount(problems_->summary());

    recent_ = new RecentFiles(File1, N3, this);
    recent_->on_click = [this](const QString& path) { LMDMRUList1Click(path); };
}

void TForm1::showProblemCount(const QString& summary) {
    ProblemCount->setText(summary);
    ProblemCount->setEnabled(!summary.isEmpty());
    // The menu bar places its corner widget when it is laid out, at the size
    // the widget then asks for: laid out again, the count shows whole at its
    // new width.
    QResizeEvent relayout(menuBar()->size(), menuBar()->size());
    QCoreApplication::sendEvent(menuBar(), &relayout);
}

void TForm1::FormCreate() {
    levels_->clearAppended();
    media_->Edit9->clear();
    media_->Edit10->clear();
    media_->Edit11->clear();
    load_skin();
}

void TForm1::load_skin() {
    QString path = skin_file_override();
    if (path.isEmpty()) path = skinPath();
    path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QFile file(path);
    // Only a regular file: a FIFO of that name would keep the start waiting.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        show_error(QStringLiteral("Cannot open file %1").arg(path));
        return;
    }
    const QImage image = QImage::fromData(file.readAll(), "BMP");
    if (image.isNull()) {
        show_error(QStringLiteral("Bitmap image is not valid"));
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(image));
}

// ---- the general error handler ---------------------------------------------

void TForm1::show_error(const QString& text) {
    dialogs_.error(this, application_title(), QString::fromStdString(vellumark::error_box_text(text.toStdString())));
}

bool TForm1::run_command(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        show_error(QString::fromUtf8(e.what()));
    } catch (...) {
        show_error(QStringLiteral("Unknown failure"));
    }
    return false;
}

// ---- file commands ----------------------------------------------------------

bool TForm1::modified() const { return document_->modified(); }

void TForm1::showCaption(const QString& caption) {
    caption_ = caption;
    // Qt shows the placeholder as "*" while the window is modified; a style
    // that marks modified windows otherwise (macOS) drops it.
    setWindowTitle(isWindowModified() ? caption + QStringLiteral(" [*]") : caption);
}

void TForm1::load_script_file(const QString& path) {
    vellumark::Ttombpcdat record;
    {
        BusyCursor busy;
        record = vellumark::load_script_file(file_name_bytes(path));
    }
    const vellumark::codepage::table& texts = vellumark::codepage::get(rememberedCodePage(path));
    const auto stray = vellumark::trailing_bytes_message(record);
    const QString layout = record.layout == vellumark::script_layout::pc
                               ? QString()
                               : QStringLiteral(" [%1]").arg(latin1(vellumark::layout_name(record.layout)));
    {
        // The file was read whole: only now does anything change.
        BusyCursor busy;
        showCodePage(texts);
        levels_->appendMemo12(vellumark::memo12_lines(record));
        levels_->appendTranscript(vellumark::transcript_lines(record));
        document_->load(std::move(record));
        problems_->setScriptOpen();
        recent_->add(path);
        // The caption names the layout of a console script after its path.
        showCaption(path + layout);
        current_file_name_ = path;
        current_stamp_ = stampOf(path);
        file_opened_ = true;
        saved_over_.clear();
    }
    // The bytes after the script's last table open, but a save drops them.
    if (stray) dialogs_.message(this, QString::fromStdString(*stray));
}

bool TForm1::mayReplaceDocument() {
    while (modified()) {
        switch (dialogs_.askToSave(this, QStringLiteral("The script has changes that are not saved. "
                                                        "Save them before another script is opened?"))) {
        case SaveChoice::Cancel: return false;
        case SaveChoice::Discard: return true;
        case SaveChoice::Save:
            if (save_command() && !modified()) return true;
            break;  // the save failed or was called off: ask again
        }
    }
    return true;
}

void TForm1::openFile(const QString& path) {
    if (!mayReplaceDocument()) return;
    run_command([&] { load_script_file(path); });
}

void TForm1::Open1Click() {
    const QString path = dialogs_.openFileName(this, QStringLiteral("Tombpc DAT files (*.dat)"));
    if (path.isEmpty()) return;
    openFile(path);
}

bool TForm1::save_command() {
    if (!file_opened_) return true;  // nothing to save before the first open
    bool saved = false;
    return run_command([this, &saved] { saved = save_to(current_file_name_); }) && saved;
}

void TForm1::Save1Click() { save_command(); }

void TForm1::SaveAS1Click() {
    if (!file_opened_) return;
    const QString path = dialogs_.saveFileName(this, QStringLiteral("Tomb Raider Script (*.dat)"), last_save_name_);
    if (path.isEmpty()) return;
    last_save_name_ = path;
    run_command([&] { save_to(path); });
}

std::optional<TForm1::FileStamp> TForm1::stampOf(const QString& path) {
    struct stat st {};
    if (::stat(file_name_bytes(path).c_str(), &st) != 0) return std::nullopt;
    return FileStamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                     static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                     static_cast<long long>(st.st_size)};
}

bool TForm1::save_to(const QString& path) {
    // Refused before any question is asked.
    const vellumark::Ttombpcdat& record = document_->record();
    vellumark::refuse_errors(vellumark::check_script(record));

    // Key-string lines past the last level are not saved: say which.
    const std::size_t levels = record.level_names.strings.size();
    QStringList dropped;
    for (int n = 0; n < vellumark::key_table_count(record.layout); ++n) {
        const vellumark::table_id id = vellumark::key_table(n);
        const std::size_t last = vellumark::dropped_text_end(vellumark::table(record, id).strings, levels);
        if (last <= levels) continue;  // empty lines lose nothing
        // Named by the levels they would belong to, counted from 0.
        const QString heading = latin1(vellumark::info(id).heading);
        dropped.append(last == levels + 1 ? QStringLiteral("%1, level %2").arg(heading).arg(levels)
                                          : QStringLiteral("%1, levels %2 to %3").arg(heading).arg(levels).arg(last - 1));
    }
    if (!dropped.isEmpty() &&
        !dialogs_.confirm(this, QStringLiteral("The script has %1 levels, so these key strings will not be saved:\n%2"
                                               "\n\nSave without them?")
                                    .arg(levels)
                                    .arg(dropped.join(QLatin1Char('\n')))))
        return false;

    // Another program may have rewritten the file since it was opened or saved.
    if (path == current_file_name_ && current_stamp_) {
        const auto now = stampOf(path);
        if (now && !(*now == *current_stamp_) &&
            !dialogs_.confirm(this, QStringLiteral("%1 was changed by another program after it was opened or "
                                                   "saved here. Overwrite it?")
                                        .arg(path)))
            return false;
    }

    {
        BusyCursor busy;
        // What save_script_file does, without checking the record again.
        vellumark::Ttombpcdat work = record;
        vellumark::normalise_script(work);
        // The first save over a file since the open keeps what it held.
        const bool first = !saved_over_.contains(path);
        vellumark::atomic_write_file(file_name_bytes(path), vellumark::serialise_script(work),
                                     first && KeepBackup1->isChecked() ? vellumark::backup_rule::keep
                                                                       : vellumark::backup_rule::none);
        document_->adoptSaved(std::move(work));
        saved_over_.insert(path);
    }
    current_file_name_ = path;
    current_stamp_ = stampOf(path);
    rememberCodePage(path, document_->codePage());
    dialogs_.information(this, path + QStringLiteral(" Saved!"));
    return true;
}

void TForm1::Exit1Click() { close(); }

void TForm1::goTo(const vellumark::place& where) {
    using vellumark::table_id;
    const auto pick = [](ListBox* list, int row) {
        if (row < 0 || row >= list->model()->rowCount()) return;
        list->setCurrentRow(row);
        list->scrollTo(list->model()->index(row, 0));
        list->setFocus();
    };
    switch (where.in) {
    case vellumark::place::area::table: {
        if (vellumark::is_key_table(where.table)) {
            PageControl1->setCurrentWidget(keys_);
            KeyStringMemo* memo = keys_->memo(vellumark::key_index(where.table) + 1);
            const QTextBlock line = memo->document()->findBlockByNumber(std::max(where.index, 0));
            if (line.isValid()) memo->setTextCursor(QTextCursor(line));
            memo->ensureCursorVisible();
            keys_->ScrollBox1->ensureWidgetVisible(memo);  // the sixteenth may lie far to the right
            memo->setFocus();
            return;
        }
        ListBox* list = nullptr;
        switch (where.table) {
        case table_id::level_names: list = levels_->ListBox1; break;
        case table_id::level_files: list = levels_->ListBox2; break;
        case table_id::pic_files: list = levels_->ListBox3; break;
        case table_id::fmv_files: list = media_->ListBox4; break;
        case table_id::cutscene_files: list = media_->ListBox5; break;
        case table_id::title_files: list = media_->ListBox6; break;
        case table_id::game_strings1: list = options_->ListBox7; break;
        default: list = options_->ListBox8; break;
        }
        PageControl1->setCurrentWidget(list->parentWidget());
        pick(list, where.index);
        return;
    }
    case vellumark::place::area::slot:
        PageControl1->setCurrentWidget(script_);
        pick(script_->ListBox9, where.index);
        pick(script_->ListBox10, where.line);
        return;
    case vellumark::place::area::demo_levels:
        PageControl1->setCurrentWidget(script_);
        pick(script_->ListBox11, where.index);
        return;
    default: return;
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    // FormCloseQuery: offer to save; the window closes whatever the answer.
    if (modified()) dialogs_.exec(form8_);
    if (form5_) form5_->close();
    event->accept();
}

// ---- recent files -----------------------------------------------------------

QStringList TForm1::recent_files() const { return recent_->entries(); }

void TForm1::LMDMRUList1Click(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_->add(path);  // nothing is opened or shown; the entry moves up
        return;
    }
    openFile(path);
}

// ---- other commands -----------------------------------------------------------

void TForm1::SaveText1Click() {
    run_command([this] { save_transcript(*this, last_transcript_name_); });
}

void TForm1::ChangeColor1Click() {
    run_command([this] { change_color(*this, last_color_); });
}

// ---- code pages ---------------------------------------------------------------

void TForm1::showCodePage(const vellumark::codepage::table& table) {
    document_->setCodePage(table);
    for (QAction* a : CodePages->actions())
        a->setChecked(a->data().toInt() == static_cast<int>(table.id()));
}

void TForm1::setCodePage(vellumark::codepage::page page) {
    run_command([this, page] {
        showCodePage(vellumark::codepage::get(page));
        if (file_opened_) rememberCodePage(current_file_name_, page);
    });
    // A code page that could not be used leaves the entry of the one in use checked.
    for (QAction* a : CodePages->actions())
        a->setChecked(a->data().toInt() == static_cast<int>(document_->codePage()));
}

vellumark::codepage::page TForm1::rememberedCodePage(const QString& path) {
    auto store = open_store();
    for (const chosen_code_page& c : read_code_pages(*store))
        if (same_recent_path(c.file, path))
            return vellumark::codepage::parse_name(c.page.toStdString()).value_or(vellumark::codepage::kDefaultPage);
    return vellumark::codepage::kDefaultPage;
}

void TForm1::rememberCodePage(const QString& path, vellumark::codepage::page page) {
    auto store = open_store();
    std::vector<chosen_code_page> all = read_code_pages(*store);
    const QString name = QString::fromStdString(vellumark::codepage::name(page));
    const auto same = [&path](const chosen_code_page& c) { return same_recent_path(c.file, path); };
    const auto at = std::find_if(all.begin(), all.end(), same);
    // Nothing to change: windows-1252 for a file not listed, or the same
    // choice at the head of the list.
    if (page == vellumark::codepage::kDefaultPage ? at == all.end()
                                                  : at != all.end() && at == all.begin() && at->page == name)
        return;
    all.erase(std::remove_if(all.begin(), all.end(), same), all.end());
    if (page != vellumark::codepage::kDefaultPage) all.insert(all.begin(), {path, name});
    if (all.size() > std::size_t(kRememberedCodePages)) all.resize(std::size_t(kRememberedCodePages));
    store->remove(kCodePagesGroup);
    store->beginWriteArray(kCodePagesGroup, int(all.size()));
    for (int i = 0; i < int(all.size()); ++i) {
        store->setArrayIndex(i);
        store->setValue(QStringLiteral("File"), all[std::size_t(i)].file);
        store->setValue(QStringLiteral("CodePage"), all[std::size_t(i)].page);
    }
    store->endArray();
    store->sync();
}

// ---- the translators' catalogue -------------------------------------------------

void TForm1::ExportTexts1Click() {
    if (!file_opened_) return;
    // First offered: the script's name with ".pot", beside the script.
    const QFileInfo script(current_file_name_);
    const QString offered = !last_catalogue_name_.isEmpty()
                                ? last_catalogue_name_
                                : script.absoluteDir().filePath(script.completeBaseName() + QStringLiteral(".pot"));
    QString path = dialogs_.saveFileName(this, QStringLiteral("Translation templates (*.pot)"), offered);
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pot"), Qt::CaseInsensitive)) path += QStringLiteral(".pot");
    last_catalogue_name_ = path;
    run_command([&] {
        vellumark::catalogue::write_template(file_name_bytes(path), document_->record(),
                                             vellumark::codepage::get(document_->codePage()),
                                             QFileInfo(current_file_name_).fileName().toStdString());
        dialogs_.information(this, path + QStringLiteral(" Saved!"));
    });
}

void TForm1::ImportTranslation1Click() {
    if (!file_opened_) return;
    const QString path = dialogs_.openFileName(this, QStringLiteral("Translations (*.po *.pot)"),
                                               QFileInfo(current_file_name_).absolutePath());
    if (path.isEmpty()) return;
    run_command([&] {
        // The whole catalogue is read and checked before the document changes.
        const auto translations = vellumark::catalogue::read_translations(
            file_name_bytes(path), document_->record(), vellumark::codepage::get(document_->codePage()));
        vellumark::Ttombpcdat texts = document_->record();
        vellumark::catalogue::apply(texts, translations);
        document_->replaceTables(texts, QStringLiteral("Import translation"));
        dialogs_.information(this,
                             QStringLiteral("Translations imported from %1: %2").arg(path).arg(translations.size()));
    });
}

void TForm1::GameFlow1Click() {
    if (!flow_) {
        flow_ = new GameFlowWindow(*document_, this);
        connect(flow_, &GameFlowWindow::goTo, this, [this](const vellumark::place& where) {
            goTo(where);
            raise();
            activateWindow();
        });
        // Beside the main window, on its right, as far as the screen allows.
        QPoint at = frameGeometry().topRight() + QPoint(1, 0);
        if (const QScreen* s = screen()) {
            const QRect room = s->availableGeometry();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - flow_->frameGeometry().width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - flow_->frameGeometry().height())));
        }
        flow_->move(at);
    }
    flow_->show();
    flow_->raise();
    flow_->activateWindow();
}

void TForm1::ExportFlow1Click() {
    const QString path = dialogs_.saveFileName(this, QStringLiteral("SVG pictures (*.svg);;PNG pictures (*.png)"),
                                               last_flow_name_);
    if (path.isEmpty()) return;
    last_flow_name_ = path;
    run_command([&] {
        GameFlowWindow::exportPicture(document_->record(), vellumark::codepage::get(document_->codePage()), path);
        dialogs_.information(this, path + QStringLiteral(" Saved!"));
    });
}

void TForm1::HelpmePlease1Click() { form5_->showAndRaise(); }

void TForm1::AboutThis1Click() { dialogs_.exec(form6_); }

// ---- drop and shortcuts -------------------------------------------------------

namespace {

// The local file a drag carries, or an empty string.
QString dropped_file(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty()) return {};
    const QUrl url = mime->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!dropped_file(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = dropped_file(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    openFile(path);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::DragEnter || type == QEvent::DragMove ||
         type == QEvent::Drop) &&
        watched != this && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        if (type == QEvent::ShortcutOverride) {
            const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
            for (QAction* a : {Save1, Exit1, Copyscriptslot1, Pastescriptslot1, Undo1, Redo1, Find1, FindNext1,
                               FindPrevious1}) {
                if (a->isEnabled() && a->shortcuts().contains(pressed)) {
                    // Refuse the field's claim on the key: the menu's shortcut runs.
                    event->ignore();
                    return true;
                }
            }
        } else if (!dropped_file(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
            // A file dropped anywhere in the window opens it, also over the
            // text fields, which would otherwise take its name as text.
            if (type == QEvent::Drop)
                dropEvent(static_cast<QDropEvent*>(event));
            else
                static_cast<QDropEvent*>(event)->acceptProposedAction();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

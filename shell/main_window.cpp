// The frame TForm1 (main_window.h). A little over 500 lines: every menu
// handler of the frame stays here, the game flow window's two included.
#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QResizeEvent>
#include <QSettings>
#include <QTabWidget>
#include <QToolButton>
#include <QUndoStack>
#include <algorithm>
#include <sys/stat.h>

#include "formats/catalogue.h"
#include "codec/tombpcdat.h"
#include "codec/transcript.h"
#include "editors/colors.h"
#include "editors/dialogs.h"
#include "editors/document.h"
#include "editors/find_panel.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/problems_panel.h"
#include "editors/text.h"
#include "editors/script_tab.h"
#include "shell/help_window.h"
#include "shell/about_window.h"
#include "shell/close_prompt.h"
#include "shell/flow_window.h"
#include "shell/appearance.h"
#include "shell/document_file.h"
#include "shell/error_handler.h"
#include "shell/picture_strip.h"
#include "shell/recent_files.h"
#include "shell/remembered_code_pages.h"
#include "shell/settings_store.h"

namespace {

// Whether the first save over a file keeps a backup, in the settings store.
const QString kKeepBackupKey = QStringLiteral("Form1/KeepBackup");

}  // namespace

void TForm1::set_settings_file(const QString& path) { setSettingsStoreFile(path); }
void TForm1::set_skin_file(const QString& path) { setSkinFile(path); }

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      errors_(std::make_unique<ErrorHandler>(dialogs, this)),
      code_pages_(std::make_unique<RememberedCodePages>()) {
    setObjectName(QStringLiteral("Form1"));
    document_ = new ScriptDocument(this);
    file_ = new DocumentFile(*document_, dialogs_, *errors_, *code_pages_, this);
    connect(file_, &DocumentFile::aboutToLoad, this, &TForm1::showLoading);
    connect(file_, &DocumentFile::opened, this, &TForm1::showOpened);
    showCaption(QStringLiteral("<----\u00A1\u00A1 The Vellumark !!---->"));
    // Unsaved changes show as " *" after the caption, gone again once Undo
    // returns to the state last opened or saved.
    connect(document_, &ScriptDocument::modifiedChanged, this, [this](bool changed) {
        // Qt warns when a window is marked modified while its title holds no
        // placeholder, so the placeholder goes in first.
        if (changed) setWindowTitle(caption_ + QStringLiteral(" [*]"));
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

    const PictureStrip strip = makePictureStrip(central);
    Image1 = strip.Image1;
    Shape1 = strip.Shape1;
    Shape2 = strip.Shape2;

    createActions();
    // The window takes the size of what it holds: the fixed client area, the
    // menu, and the Problems panel while it is shown below.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Every window starts in windows-1252.
    run_command([this] { showCodePage(vellumark::codepage::get(vellumark::codepage::kDefaultPage)); });

    connect(levels_, &LevelsTab::saveTranscriptClicked, this, &TForm1::SaveText1Click);
    connect(levels_, &LevelsTab::listFontSizeChanged, this,
            [this](int points) { run_command([&] { set_list_font_size(*this, points); }); });

    setAcceptDrops(true);
    // Ctrl+S/X/C/V/F belong to the menu even inside text fields.
    qApp->installEventFilter(this);

    recent_->read(*openSettingsStore());
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
    form8_->save = [this] { return file_->save(); };
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    // The document goes with the window's children, after this object's own
    // members: what it announces then must not reach them.
    disconnect(document_, nullptr, this, nullptr);
    delete form5_;
    recent_->write(*openSettingsStore());
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
    KeepBackup1->setChecked(openSettingsStore()->value(kKeepBackupKey, true).toBool());
    file_->setKeepBackup(KeepBackup1->isChecked());
    connect(KeepBackup1, &QAction::toggled, this, [this](bool on) {
        file_->setKeepBackup(on);
        auto store = openSettingsStore();
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
    recent_->on_click = [this](const FileName& path) { LMDMRUList1Click(path); };
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
    media_->clearNewNames();
    loadSkin(Image1, *errors_);
}

// ---- the general error handler ---------------------------------------------

void TForm1::show_error(const QString& text) { errors_->show(text); }

bool TForm1::run_command(const std::function<void()>& command) { return errors_->run(command); }

// ---- file commands ----------------------------------------------------------

bool TForm1::modified() const { return document_->modified(); }

QString TForm1::current_file_name() const { return file_->shownName(); }

void TForm1::load_script_file(const FileName& path) { file_->load(path); }

void TForm1::openFile(const FileName& path) { file_->open(path); }

void TForm1::Open1Click() { file_->openChosen(); }

void TForm1::Save1Click() { file_->save(); }

void TForm1::SaveAS1Click() { file_->saveAs(); }

void TForm1::showLoading(const vellumark::Ttombpcdat& record, const vellumark::codepage::table& page) {
    showCodePage(page);
    levels_->appendMemo12(vellumark::memo12_lines(record));
    levels_->appendTranscript(vellumark::transcript_lines(record));
}

void TForm1::showOpened() {
    problems_->setScriptOpen();
    recent_->add(file_->fileName());
    // The caption names the layout of a console script after its path.
    QString caption = file_->shownName();
    if (file_->layout() != vellumark::script_layout::pc) {
        const std::string_view layout = vellumark::layout_name(file_->layout());
        caption += QStringLiteral(" [%1]").arg(QString::fromLatin1(layout.data(), qsizetype(layout.size())));
    }
    showCaption(caption);
}

void TForm1::showCaption(const QString& caption) {
    caption_ = caption;
    // Qt shows the placeholder as "*" while the window is modified; a style
    // that marks modified windows otherwise (macOS) drops it.
    setWindowTitle(isWindowModified() ? caption + QStringLiteral(" [*]") : caption);
}

void TForm1::Exit1Click() { close(); }

std::vector<TabPage*> TForm1::tabPages() const { return {levels_, media_, options_, script_, keys_}; }

void TForm1::goTo(const vellumark::place& where) {
    for (TabPage* tab : tabPages()) {
        if (!tab->holdsPlace(where)) continue;
        PageControl1->setCurrentWidget(tab->page());
        tab->showPlace(where);
        return;
    }
}

bool TForm1::mayClose() {
    if (!modified()) return true;
    // "YES SURE !!!" closes once saved, "No i'm tired..." closes without; the
    // prompt closed by Escape or its title bar keeps the window and its edits.
    return dialogs_.exec(form8_) != TForm8::KeepOpen;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!mayClose()) {
        event->ignore();
        return;
    }
    if (form5_) form5_->close();
    event->accept();
}

// ---- recent files -----------------------------------------------------------

QStringList TForm1::recent_files() const {
    QStringList shown;
    for (const FileName& entry : recent_->entries()) shown.append(shownFileName(entry));
    return shown;
}

void TForm1::LMDMRUList1Click(const FileName& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
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
        if (file_->isOpen()) code_pages_->remember(file_->fileName(), page);
    });
    // A code page that could not be used leaves the entry of the one in use checked.
    for (QAction* a : CodePages->actions())
        a->setChecked(a->data().toInt() == static_cast<int>(document_->codePage()));
}

// ---- the translators' catalogue -------------------------------------------------

void TForm1::ExportTexts1Click() {
    if (!file_->isOpen()) return;
    // First offered: the script's name with ".pot", beside the script.
    const FileName offered = !last_catalogue_name_.isEmpty() ? last_catalogue_name_ : file_->beside(".pot");
    FileName path = dialogs_.saveFileName(this, QStringLiteral("Translation templates (*.pot)"), offered);
    if (path.isEmpty()) return;
    if (!path.toLower().endsWith(".pot")) path += ".pot";
    last_catalogue_name_ = path;
    run_command([&] {
        vellumark::catalogue::write_template(path.toStdString(), document_->record(),
                                             vellumark::codepage::get(document_->codePage()),
                                             QFileInfo(file_->shownName()).fileName().toStdString());
        dialogs_.information(this, shownFileName(path) + QStringLiteral(" Saved!"));
    });
}

void TForm1::ImportTranslation1Click() {
    if (!file_->isOpen()) return;
    const FileName path =
        dialogs_.openFileName(this, QStringLiteral("Translations (*.po *.pot)"), file_->folder());
    if (path.isEmpty()) return;
    run_command([&] {
        // The whole catalogue is read and checked before the document changes.
        const auto translations = vellumark::catalogue::read_translations(
            path.toStdString(), document_->record(), vellumark::codepage::get(document_->codePage()));
        vellumark::Ttombpcdat texts = document_->record();
        vellumark::catalogue::apply(texts, translations);
        document_->replaceTables(texts, QStringLiteral("Import translation"));
        dialogs_.information(this,
                             QStringLiteral("Translations imported from %1: %2")
                                 .arg(shownFileName(path))
                                 .arg(translations.size()));
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
    const FileName chosen = dialogs_.saveFileName(this, QStringLiteral("SVG pictures (*.svg);;PNG pictures (*.png)"),
                                                  last_flow_name_);
    if (chosen.isEmpty()) return;
    last_flow_name_ = chosen;
    // The picture is written by its name as text.
    const QString path = shownFileName(chosen);
    run_command([&] {
        GameFlowWindow::exportPicture(document_->record(), vellumark::codepage::get(document_->codePage()), path);
        dialogs_.information(this, path + QStringLiteral(" Saved!"));
    });
}

void TForm1::HelpmePlease1Click() { form5_->showAndRaise(); }

void TForm1::AboutThis1Click() { dialogs_.exec(form6_); }

// ---- drop and shortcuts -------------------------------------------------------

namespace {

// The local file a drag carries, or an empty name.
FileName dropped_file(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty()) return {};
    return fileNameOf(mime->urls().first());
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!dropped_file(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const FileName path = dropped_file(event->mimeData());
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

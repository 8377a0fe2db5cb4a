// TForm1, the main window: the frame around the five tabs. It builds the menu
// in createActions(), holds the tabs and the Problems panel, and decides about
// closing in one place (mayClose). The open file and the file commands are
// DocumentFile's, the remembered code pages RememberedCodePages', the
// recent-files list RecentFiles'; the script document is owned here for the
// run, and the tabs are views of it.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "codec/codepage.h"
#include "editors/file_name.h"

class Dialogs;
class DocumentFile;
class ErrorHandler;
class FindPanel;
class ProblemsPanel;
class QToolButton;
class RememberedCodePages;
class ScriptDocument;
class TabPage;
namespace vellumark {
struct place;
struct Ttombpcdat;
}
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTabWidget;
class LevelsTab;
class MediaTab;
class OptionsTab;
class ScriptTab;
class KeyStringsTab;
class RecentFiles;
class TForm5;
class TForm6;
class TForm8;
class GameFlowWindow;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Creates the tabs and the menu, reads the recent-files list, runs
    // FormCreate, then creates the secondary windows hidden.
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    // Writes the recent-files list.
    ~TForm1() override;

    ScriptDocument* document() const { return document_; }
    DocumentFile* file() const { return file_; }
    // Unsaved changes: the document differs from the last open or save.
    bool modified() const;
    LevelsTab* levels() const { return levels_; }
    MediaTab* media() const { return media_; }
    OptionsTab* options() const { return options_; }
    ScriptTab* script() const { return script_; }
    KeyStringsTab* keys() const { return keys_; }
    // The five tabs in their order, as the window asks them to show a place
    // or to take a colour or a list font size.
    std::vector<TabPage*> tabPages() const;
    Dialogs& dialogs() const { return dialogs_; }
    QTabWidget* tabs() const { return PageControl1; }
    TForm5* form5() const { return form5_; }
    TForm6* form6() const { return form6_; }
    TForm8* form8() const { return form8_; }
    QMenu* file_menu() const { return File1; }
    // The game flow window, made at its first opening; null before.
    GameFlowWindow* flowWindow() const { return flow_; }

    // The menu handlers. Every failure is shown in the error box.
    void Open1Click();
    void Save1Click();
    void SaveAS1Click();
    void Exit1Click();
    void SaveText1Click();
    void ChangeColor1Click();
    void HelpmePlease1Click();
    void AboutThis1Click();
    // The translators' catalogue: a PO template of the script's texts, and
    // a translated catalogue taken in as one undo step.
    void ExportTexts1Click();
    void ImportTranslation1Click();
    // "Game flow...": the game flow window, beside this one.
    void GameFlow1Click();
    // "Export game flow picture...": SVG or PNG by the name's extension.
    void ExportFlow1Click();
    // "Code page": the document's bytes shown in another code page, nothing
    // changed; the choice is remembered for the open file.
    void setCodePage(vellumark::codepage::page page);
    // A recent-files entry was clicked.
    void LMDMRUList1Click(const FileName& path);

    // Opens a script all or nothing; throws vellumark::script_error. On
    // success the views hold the file, the path heads the recent-files list,
    // names the window and becomes the file that "Save" writes.
    void load_script_file(const FileName& path);
    // Opens a script as "&Open", a recent-files entry, a drop or the command
    // line does: first asks what becomes of unsaved changes. Failures go to
    // the error box.
    void openFile(const FileName& path);
    // The file "Save" writes, as it is shown.
    QString current_file_name() const;

    // The general error handler: runs the command and shows any failure in
    // the error box. True when the command completed.
    bool run_command(const std::function<void()>& command);
    // The error box as the handler shows it (title, full-stop rule).
    void show_error(const QString& text);

    // The recent-files entries as they are shown.
    QStringList recent_files() const;

    // Where the recent-files list and the code pages are kept: an INI file at
    // this path instead of the user's configuration folder (tests). Empty for
    // the default.
    static void set_settings_file(const QString& path);
    // The picture shown in the strip instead of "skin.bmp" beside the
    // executable (tests). Empty for the default.
    static void set_skin_file(const QString& path);

    QTabWidget* PageControl1 = nullptr;
    QLabel* Image1 = nullptr;    // the picture strip under the tabs
    QWidget* Shape1 = nullptr;   // hatching over the left of the strip
    QWidget* Shape2 = nullptr;   // hatching over the rest
    QMenu* File1 = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* Level1 = nullptr;  // the level operations of the Levels tab
    QMenu* OtherCommand1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAS1 = nullptr;
    QAction* ExportTexts1 = nullptr;
    QAction* ImportTranslation1 = nullptr;
    QAction* ExportFlow1 = nullptr;
    QAction* GameFlow1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* N3 = nullptr;  // the separator the recent-files entries follow
    QAction* Copyscriptslot1 = nullptr;
    QAction* Pastescriptslot1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Find1 = nullptr;          // shows the Find panel
    QAction* FindNext1 = nullptr;      // F3
    QAction* FindPrevious1 = nullptr;  // Shift+F3
    QAction* SaveText1 = nullptr;
    QAction* ChangeColor1 = nullptr;
    QAction* KeepBackup1 = nullptr;      // "Keep a backup on first save", checked
    QMenu* CodePage1 = nullptr;          // one checkable entry per code page
    QActionGroup* CodePages = nullptr;
    QAction* HelpmePlease1 = nullptr;
    QAction* AboutThis1 = nullptr;
    QAction* Problems1 = nullptr;         // shows or hides the Problems panel
    ProblemsPanel* problems_ = nullptr;   // the document's problems, checked live
    FindPanel* find_ = nullptr;           // find and replace across the script
    QToolButton* ProblemCount = nullptr;  // "0 errors, 2 warnings" in the menu bar

    ProblemsPanel* problems() const { return problems_; }
    FindPanel* find() const { return find_; }
    // Puts the window in the middle of its screen's free area, at the size
    // it has once laid out (program start, before it is shown).
    void centreOnScreen();
    // Keeps the window within its screen's free area: with the Problems
    // panel shown below, the panel gives up height (down to its least) and
    // then the window moves up.
    void keepOnScreen();
    // Shows a place of the document: the tab that holds it becomes current
    // and shows its list row, memo line, or slot and command line.
    void goTo(const vellumark::place& where);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void FormCreate();
    // The one place that decides about closing: with unsaved changes the
    // close prompt asks; true when the window may close.
    bool mayClose();
    // The count of problems at the right of the menu bar; nothing while no
    // script is open.
    void showProblemCount(const QString& summary);
    // Sets the caption; " *" follows it while the document has unsaved
    // changes.
    void showCaption(const QString& caption);
    // Shows the document in a code page: the views and the script-text
    // edit boxes show the same bytes anew, the menu checks its entry.
    void showCodePage(const vellumark::codepage::table& table);
    // A file was read and is about to replace the document: the panes get
    // its listing.
    void showLoading(const vellumark::Ttombpcdat& record, const vellumark::codepage::table& page);
    // The document holds the file: the caption names it, and its layout
    // when it is a console script; it heads the recent-files list.
    void showOpened();

    Dialogs& dialogs_;
    std::unique_ptr<ErrorHandler> errors_;
    std::unique_ptr<RememberedCodePages> code_pages_;
    ScriptDocument* document_ = nullptr;
    DocumentFile* file_ = nullptr;
    LevelsTab* levels_ = nullptr;
    MediaTab* media_ = nullptr;
    OptionsTab* options_ = nullptr;
    ScriptTab* script_ = nullptr;
    KeyStringsTab* keys_ = nullptr;
    RecentFiles* recent_ = nullptr;
    TForm5* form5_ = nullptr;
    TForm6* form6_ = nullptr;
    TForm8* form8_ = nullptr;
    GameFlowWindow* flow_ = nullptr;

    QString caption_;  // the caption without the unsaved-changes mark
    FileName last_transcript_name_;  // offered again by "Save Text"
    FileName last_catalogue_name_;   // offered again by "Export texts for translation..."
    FileName last_flow_name_;        // offered again by "Export game flow picture..."
    QColor last_color_ = Qt::black;
};

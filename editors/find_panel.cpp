#include "editors/find_panel.h"

#include <QAbstractListModel>
#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "codec/errors.h"
#include "editors/dialogs.h"
#include "editors/document.h"

using vellumark::place;
using vellumark::search_match;
using vellumark::table_id;

namespace {

QString utf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The document's code page; get() throws its message when iconv gave none.
const vellumark::codepage::table& textsOf(const ScriptDocument& doc) {
    return doc.codePageTable() ? *doc.codePageTable() : vellumark::codepage::get(doc.codePage());
}

// A table as the panel names it: "Level names", "Key strings #3", "Secret 1".
QString tableName(table_id id) {
    switch (id) {
    case table_id::level_names: return QStringLiteral("Level names");
    case table_id::pic_files: return QStringLiteral("Pictures");
    case table_id::title_files: return QStringLiteral("Titles");
    case table_id::fmv_files: return QStringLiteral("Movies");
    case table_id::level_files: return QStringLiteral("Level files");
    case table_id::cutscene_files: return QStringLiteral("Cut-scenes");
    case table_id::game_strings1: return QStringLiteral("Game strings 1");
    case table_id::game_strings2: return QStringLiteral("Game strings 2");
    default: break;
    }
    if (vellumark::is_key_table(id) && vellumark::key_index(id) < vellumark::kKeyStringTables)
        return QStringLiteral("Key strings #%1").arg(vellumark::key_index(id) + 1);
    const std::string_view heading = vellumark::info(id).heading;
    return QString::fromUtf8(heading.data(), qsizetype(heading.size()));
}

}  // namespace

// The rows of the result list: the first kListedMatches matches, each
// "Level names, level 3 (Bartoli's Hideout): Bartoli's Hideout", made as
// the view shows it.
class FindResults : public QAbstractListModel {
public:
    FindResults(const ScriptDocument& doc, const std::vector<search_match>& matches, QObject* parent)
        : QAbstractListModel(parent), doc_(doc), matches_(matches) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(std::min<std::size_t>(matches_.size(), FindPanel::kListedMatches));
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
        return rowText(matches_[std::size_t(index.row())]);
    }

    void refresh() {
        beginResetModel();
        endResetModel();
    }

private:
    QString rowText(const search_match& m) const {
        const auto& record = doc_.record();
        const auto& cp = textsOf(doc_);
        const QString text = utf8(vellumark::place_text_of(record, cp, m.where));
        if (m.where.in == place::area::slot)
            return QStringLiteral("Script commands, %1: %2").arg(utf8(vellumark::place_text(m.where)), text);
        QString where;
        if (vellumark::info(m.where.table).per_level) {
            where = QStringLiteral("level %1").arg(m.where.index);
            const place level{place::area::table, table_id::level_names, m.where.index};
            if (m.where.index < vellumark::level_total(record))
                where += QStringLiteral(" (%1)").arg(utf8(vellumark::place_text_of(record, cp, level)));
        } else {
            where = QStringLiteral("entry %1").arg(m.where.index);
        }
        return QStringLiteral("%1, %2: %3").arg(tableName(m.where.table), where, text);
    }

    const ScriptDocument& doc_;
    const std::vector<search_match>& matches_;
};

namespace {

// The result list asks for five rows or so: opened below the tabs, the panel
// keeps the window within a 768-pixel-high screen. It can be made taller.
class ResultView : public QListView {
public:
    using QListView::QListView;
    QSize sizeHint() const override { return {600, 90}; }
};

}  // namespace

FindPanel::FindPanel(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent)
    : QDockWidget(QStringLiteral("Find"), parent), doc_(doc), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FindPanel"));
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 4, 4, 4);

    FindText = new QLineEdit(box);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setPlaceholderText(QStringLiteral("Text to find"));
    ReplaceText = new QLineEdit(box);
    ReplaceText->setObjectName(QStringLiteral("ReplaceText"));
    ReplaceText->setPlaceholderText(QStringLiteral("Replace with"));
    MatchCase = new QCheckBox(QStringLiteral("Match case"), box);
    MatchCase->setObjectName(QStringLiteral("MatchCase"));
    WholeWords = new QCheckBox(QStringLiteral("Whole words"), box);
    WholeWords->setObjectName(QStringLiteral("WholeWords"));
    RegularExpression = new QCheckBox(QStringLiteral("Regular expression"), box);
    RegularExpression->setObjectName(QStringLiteral("RegularExpression"));
    ScopeButton = new QToolButton(box);
    ScopeButton->setObjectName(QStringLiteral("ScopeButton"));
    ScopeButton->setPopupMode(QToolButton::InstantPopup);
    ReplaceButton = new QPushButton(QStringLiteral("Replace"), box);
    ReplaceButton->setObjectName(QStringLiteral("ReplaceButton"));
    ReplaceAllButton = new QPushButton(QStringLiteral("Replace all"), box);
    ReplaceAllButton->setObjectName(QStringLiteral("ReplaceAllButton"));
    ResultCount = new QLabel(box);
    ResultCount->setObjectName(QStringLiteral("ResultCount"));
    ResultList = new ResultView(box);
    ResultList->setObjectName(QStringLiteral("ResultList"));
    ResultList->setUniformItemSizes(true);
    ResultList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultList->setMinimumHeight(60);
    results_ = new FindResults(doc_, matches_, this);
    ResultList->setModel(results_);

    grid->addWidget(new QLabel(QStringLiteral("Find:"), box), 0, 0);
    grid->addWidget(FindText, 0, 1);
    grid->addWidget(MatchCase, 0, 2);
    grid->addWidget(WholeWords, 0, 3);
    grid->addWidget(RegularExpression, 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Replace:"), box), 1, 0);
    grid->addWidget(ReplaceText, 1, 1);
    grid->addWidget(ReplaceButton, 1, 2);
    grid->addWidget(ReplaceAllButton, 1, 3);
    grid->addWidget(ScopeButton, 1, 4);
    grid->addWidget(ResultCount, 2, 0, 1, 5);
    grid->addWidget(ResultList, 3, 0, 1, 5);
    grid->setColumnStretch(1, 1);
    setWidget(box);

    // The scope: every part of the script unless some are left out.
    auto* menu = new QMenu(ScopeButton);
    const auto addPart = [&](const QString& name, std::vector<table_id> tables) {
        QAction* a = menu->addAction(name);
        a->setCheckable(true);
        a->setChecked(true);
        connect(a, &QAction::toggled, this, [this] {
            showScope();
            scheduleSearch();
        });
        parts_.push_back({a, std::move(tables)});
    };
    // Every table of every layout, in file order; the tables of the Key
    // strings tab (the PlayStation beta's Secret and Special ones too) as one
    // part. A script is searched in the tables its layout has.
    std::vector<table_id> keys;
    for (const vellumark::table_info& t : vellumark::tables_of(vellumark::script_layout::playstation_beta)) {
        if (vellumark::is_key_table(t.id))
            keys.push_back(t.id);
        else
            addPart(tableName(t.id), {t.id});
    }
    addPart(QStringLiteral("Key strings"), keys);
    addPart(QStringLiteral("Script commands"), {});
    ScopeButton->setMenu(menu);
    showScope();

    connect(FindText, &QLineEdit::textChanged, this, &FindPanel::scheduleSearch);
    for (QCheckBox* option : {MatchCase, WholeWords, RegularExpression})
        connect(option, &QCheckBox::toggled, this, &FindPanel::scheduleSearch);
    connect(ResultList, &QListView::activated, this, [this](const QModelIndex& index) { select(index.row(), true); });
    connect(ReplaceButton, &QPushButton::clicked, this, &FindPanel::replaceOne);
    connect(ReplaceAllButton, &QPushButton::clicked, this, &FindPanel::replaceAll);
    FindText->installEventFilter(this);
    ReplaceText->installEventFilter(this);

    // Every change of the document can bring or end a match.
    connect(&doc_, &ScriptDocument::reset, this, &FindPanel::scheduleSearch);
    connect(&doc_, &ScriptDocument::codePageChanged, this, &FindPanel::scheduleSearch);
    connect(&doc_, &ScriptDocument::entriesReplaced, this, &FindPanel::scheduleSearch);
    connect(&doc_, &ScriptDocument::entryMoved, this, &FindPanel::scheduleSearch);
    connect(&doc_, &ScriptDocument::slotsReplaced, this, &FindPanel::scheduleSearch);
    connect(&doc_, &ScriptDocument::slotMoved, this, &FindPanel::scheduleSearch);
    // A hidden panel searches when it is shown again.
    connect(toggleViewAction(), &QAction::toggled, this, [this](bool shown) {
        if (shown) scheduleSearch();
    });
}

void FindPanel::open() {
    show();
    raise();
    FindText->setFocus();
    FindText->selectAll();
    scheduleSearch();
}

int FindPanel::currentMatch() const {
    const QModelIndex index = ResultList->currentIndex();
    return index.isValid() && ResultList->selectionModel()->isSelected(index) ? index.row() : -1;
}

void FindPanel::scheduleSearch() {
    // One search after all the changes of one event, however many there are.
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        if (scheduled_) searchNow();
    });
}

std::optional<vellumark::search_pattern> FindPanel::pattern(QString* why) const {
    vellumark::search_options options;
    options.match_case = MatchCase->isChecked();
    options.whole_words = WholeWords->isChecked();
    options.regex = RegularExpression->isChecked();
    try {
        return vellumark::search_pattern(FindText->text().toStdString(), options);
    } catch (const vellumark::script_error& e) {
        if (why) *why = utf8(vellumark::error_box_text(e.what()));
        return std::nullopt;
    }
}

vellumark::search_scope FindPanel::scope() const {
    vellumark::search_scope scope;
    for (const part& p : parts_) {
        if (!p.action->isChecked()) continue;
        if (p.tables.empty()) scope.every_slot = true;
        for (table_id id : p.tables) scope.tables.set(std::size_t(id));
    }
    return scope;
}

void FindPanel::showScope() {
    QStringList chosen;
    for (const part& p : parts_)
        if (p.action->isChecked()) chosen.append(p.action->text());
    ScopeButton->setText(chosen.size() == int(parts_.size()) ? QStringLiteral("In: everything")
                         : chosen.size() <= 2            ? QStringLiteral("In: ") + chosen.join(QStringLiteral(", "))
                                                         : QStringLiteral("In: %1 parts").arg(chosen.size()));
}

void FindPanel::searchNow() {
    scheduled_ = false;
    // The selected match stays selected when it is still there.
    const int before = currentMatch();
    const search_match kept = before >= 0 ? matches_[std::size_t(before)] : search_match{};
    QString why;
    std::vector<search_match> found;
    if (isHidden()) return;
    if (const auto p = pattern(&why)) {
        try {
            found = vellumark::find_all(doc_.record(), textsOf(doc_), *p, scope());
        } catch (const vellumark::script_error& e) {
            why = utf8(vellumark::error_box_text(e.what()));
        }
    }
    matches_ = std::move(found);
    results_->refresh();
    // "38,879 matches", as the program writes numbers in every locale.
    const QLocale c(QLocale::English, QLocale::UnitedStates);
    if (!why.isEmpty())
        ResultCount->setText(why);
    else if (FindText->text().isEmpty())
        ResultCount->clear();
    else if (matches_.empty())
        ResultCount->setText(QStringLiteral("No match"));
    else if (matches_.size() == 1)
        ResultCount->setText(QStringLiteral("1 match"));
    else if (matches_.size() <= std::size_t(kListedMatches))
        ResultCount->setText(QStringLiteral("%1 matches").arg(c.toString(qulonglong(matches_.size()))));
    else
        ResultCount->setText(QStringLiteral("%1 matches; the first %2 are listed")
                                 .arg(c.toString(qulonglong(matches_.size())), c.toString(kListedMatches)));
    if (before >= 0) {
        const auto at = std::find(matches_.begin(), matches_.end(), kept);
        if (at != matches_.end() && at - matches_.begin() < kListedMatches) select(int(at - matches_.begin()), false);
    }
}

void FindPanel::select(int match, bool show) {
    if (match < 0 || match >= results_->rowCount()) {
        ResultList->clearSelection();
        return;
    }
    const QModelIndex index = results_->index(match);
    ResultList->setCurrentIndex(index);
    ResultList->scrollTo(index);
    if (show) emit goTo(matches_[std::size_t(match)].where);
}

void FindPanel::findNext() {
    if (scheduled_) searchNow();
    const int n = results_->rowCount();
    if (n == 0) return;
    const int now = currentMatch();
    select(now < 0 ? 0 : (now + 1) % n, true);
}

void FindPanel::findPrevious() {
    if (scheduled_) searchNow();
    const int n = results_->rowCount();
    if (n == 0) return;
    const int now = currentMatch();
    select(now <= 0 ? n - 1 : now - 1, true);
}

void FindPanel::tryReplace(const std::function<void()>& replace) {
    try {
        replace();
    } catch (const vellumark::script_error& e) {
        dialogs_.message(window(), utf8(vellumark::error_box_text(e.what())));
    }
}

void FindPanel::replaceOne() {
    if (scheduled_) searchNow();
    const int now = currentMatch();
    const bool inString = now >= 0 && matches_[std::size_t(now)].where.in == place::area::table;
    if (!inString) {
        // Only to the next match that a replace can change.
        const int n = results_->rowCount();
        for (int k = 1; k <= n; ++k) {
            const int at = (std::max(now, -1) + k + n) % n;
            if (matches_[std::size_t(at)].where.in == place::area::table) {
                select(at, true);
                return;
            }
        }
        return;
    }
    const auto p = pattern();
    if (!p) return;
    const search_match m = matches_[std::size_t(now)];
    std::optional<std::size_t> taken;  // the characters the replacement took
    tryReplace([&] {
        const auto& cp = textsOf(doc_);
        const std::string replacement = ReplaceText->text().toStdString();
        const vellumark::replace_plan plan = vellumark::plan_replace_one(doc_.record(), cp, *p, m, replacement);
        if (plan.occurrences == 0) return;
        const std::size_t before =
            vellumark::table(doc_.record(), m.where.table).strings[std::size_t(m.where.index)].size();
        const std::size_t after = plan.edits.empty() ? before : plan.edits.front().bytes.size();
        taken = m.length + after - before;
        doc_.replaceStrings(plan.edits, utf8(vellumark::replace_step_text(1, FindText->text().toStdString())));
    });
    if (!taken) return;
    // On to the first match after the replaced text: the matches before it
    // are where they were.
    searchNow();
    const int n = results_->rowCount();
    int next = now;
    const auto replaced = [&](const search_match& at) {
        return at.where == m.where &&
               (at.first < m.first + *taken || (*taken == 0 && m.length == 0 && at.first == m.first));
    };
    while (next < n && replaced(matches_[std::size_t(next)])) ++next;
    select(next < n ? next : n > 0 ? 0 : -1, true);
}

void FindPanel::replaceAll() {
    if (scheduled_) searchNow();
    const auto p = pattern();
    if (!p) return;
    tryReplace([&] {
        const vellumark::replace_plan plan =
            vellumark::plan_replace(doc_.record(), textsOf(doc_), *p, scope(),
                                    ReplaceText->text().toStdString());
        if (plan.occurrences == 0) return;
        doc_.replaceStrings(plan.edits,
                            utf8(vellumark::replace_step_text(plan.occurrences, FindText->text().toStdString())));
    });
    searchNow();
}

bool FindPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == FindText || watched == ReplaceText)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter goes on to the next match (Shift+Enter: the previous)
            // and leaves the text ready for the next Enter.
            QWidget* field = static_cast<QWidget*>(watched);
            key->modifiers() & Qt::ShiftModifier ? findPrevious() : findNext();
            field->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

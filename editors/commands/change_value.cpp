#include "editors/commands/change_value.h"

ChangeOption::ChangeOption(ScriptDocument& doc, vellumark::option_id option, std::int32_t before,
                           std::int32_t after)
    : QUndoCommand(QStringLiteral("Change %1").arg(QString::fromLatin1(vellumark::info(option).label.data(),
                                                                      qsizetype(vellumark::info(option).label.size()))
                                                       .trimmed())),
      doc_(doc),
      option_(option),
      before_(before),
      after_(after) {}

bool ChangeOption::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const ChangeOption*>(other);
    if (next->option_ != option_) return false;
    after_ = next->after_;
    setObsolete(after_ == before_);  // typed and retyped: no step at all
    return true;
}

ChangeFlag::ChangeFlag(ScriptDocument& doc, std::uint16_t bit, bool on, const QString& text)
    : QUndoCommand(text), doc_(doc), bit_(bit), on_(on) {}

ChangeDemoLevels::ChangeDemoLevels(ScriptDocument& doc, List before, List after, const QString& text,
                                   QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), before_(std::move(before)), after_(std::move(after)) {}

ReplaceMovieRecords::ReplaceMovieRecords(ScriptDocument& doc, int first, Records before, Records after,
                                         const QString& text, bool merging, QUndoCommand* parent)
    : QUndoCommand(text, parent),
      doc_(doc),
      first_(first),
      before_(std::move(before)),
      after_(std::move(after)),
      merging_(merging) {}

bool ReplaceMovieRecords::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const ReplaceMovieRecords*>(other);
    if (next->first_ != first_ || after_.size() != 1 || next->before_.size() != 1 || next->after_.size() != 1)
        return false;
    after_ = next->after_;
    setObsolete(after_ == before_);
    return true;
}

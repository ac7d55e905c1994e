#include <FrameDetail.h>
#include <SessionModel.h>

#include <velora_decoding/FrameFields.h>
#include <velora_protocol/Addresses.h>
#include <velora_protocol/AnswerFields.h>
#include <velora_protocol/Command.h>
#include <velora_protocol/CommandFields.h>
#include <velora_protocol/MessageType.h>

#include <QDateTime>
#include <QPlainTextEdit>

namespace {

QString dateTime(std::int64_t wallNs) {
    return QDateTime::fromMSecsSinceEpoch(wallNs / 1'000'000)
        .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz"));
}

// "1, 3"; "нет" for none.
QString numberList(const QStringList& list) {
    return list.isEmpty() ? FrameDetail::tr("нет") : list.join(QStringLiteral(", "));
}

// The numbers first..last that `on` holds for, as numberList writes them.
template <typename Predicate>
QString numbers(int first, int last, Predicate on) {
    QStringList list;
    for (int n = first; n <= last; ++n) {
        if (on(n)) {
            list << QString::number(n);
        }
    }
    return numberList(list);
}

QString yesNo(bool on) {
    return on ? FrameDetail::tr("да") : FrameDetail::tr("нет");
}

// The lines of a command's fields: each part with its heading; reset and cancel alarm read
// yes or no, the others list the numbers they set.
struct PartLine {
    velora_protocol::CommandPart part;
    const char* heading;
    bool numbered;
};
using Part = velora_protocol::CommandPart;
// clang-format off
const PartLine kPartLines[] = {
    {Part::Reset, QT_TRANSLATE_NOOP("FrameDetail", "  сброс: %1"), false},
    {Part::CancelAlarm, QT_TRANSLATE_NOOP("FrameDetail", "  отмена тревоги: %1"), false},
    {Part::LoopOn, QT_TRANSLATE_NOOP("FrameDetail", "  включить шлейфы: %1"), true},
    {Part::LoopOff, QT_TRANSLATE_NOOP("FrameDetail", "  отключить шлейфы: %1"), true},
    {Part::OutputOn, QT_TRANSLATE_NOOP("FrameDetail", "  включить выходы: %1"), true},
    {Part::OutputOff, QT_TRANSLATE_NOOP("FrameDetail", "  отключить выходы: %1"), true},
    {Part::Group, QT_TRANSLATE_NOOP("FrameDetail", "  групповые команды: %1"), true},
};
// clang-format on

// The value of a part in the command's fields: да/нет, or the numbers it sets.
QString partValue(const PartLine& line,
                  const std::array<velora_decoding::CommandFieldValue,
                                   velora_decoding::kCommandFieldCount>& values) {
    QStringList set;
    for (const velora_decoding::CommandFieldValue& value : values) {
        if (value.field->part == line.part && value.set) {
            set << QString::number(value.field->number);
        }
    }
    return line.numbered ? numberList(set) : yesNo(!set.isEmpty());
}

} // namespace

FrameDetail::FrameDetail(const SessionModel& session, QWidget* parent)
    : QDockWidget(tr("Кадр"), parent)
    , session(session)
    , view(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("frameDetailDock"));
    view->setObjectName(QStringLiteral("frameDetail"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWidget(view);
}

QString FrameDetail::text() const {
    return view->toPlainText();
}

void FrameDetail::showRecord(std::int64_t record) {
    view->setPlainText(record < 0 ? QString() : describe(session, std::uint64_t(record)));
}

QString FrameDetail::describe(const SessionModel& session, std::uint64_t index) {
    const FrameRecord& record = session.record(index);
    QStringList lines{session.text(index), QString()};
    if (record.isGap()) {
        return lines.first();
    }
    lines << tr("Первый байт: %1").arg(dateTime(record.wallNs))
          << tr("Последний байт: %1").arg(dateTime(record.lastNs()))
          << tr("Байты (%1): %2").arg(record.size).arg(SessionModel::bytesText(record));
    if (record.type == mtLongAnswer) {
        lines << QString() << answerFlags(record);
    } else if (record.type == mtCommand) {
        lines << QString() << commandFields(record);
    }
    return lines.join('\n');
}

QString FrameDetail::answerFlags(const FrameRecord& record) {
    const auto frame = velora_protocol::Frame::of(mtLongAnswer, 0, record.begin(), record.end());
    QStringList lines{tr("Биты ответа:")};
    for (const velora_decoding::FieldValue& value : velora_decoding::fields(frame)) {
        if (value.set) {
            lines << tr("  %1 (байт %2, бит %3)")
                         .arg(QString::fromStdWString(velora_decoding::fieldLabel(*value.field)))
                         .arg(value.field->position.index)
                         .arg(value.field->position.bit);
        }
    }
    const int groups = frame.size > velora_protocol::kGroupCommandsByte
                           ? frame.data[velora_protocol::kGroupCommandsByte]
                           : 0;
    lines << tr("  групповые команды: %1").arg(numbers(0, 7, [groups](int group) {
        return (groups >> group) & 1;
    }));
    return lines.join('\n');
}

QString FrameDetail::commandFields(const FrameRecord& record) {
    const velora_protocol::Command command(std::vector<std::uint8_t>(record.begin(), record.end()),
                                           false);
    const int address = command.deviceAddress();
    QStringList lines{tr("Поля команды:")};
    lines << tr("  адрес: %1")
                 .arg(address == velora_protocol::kAllDevices ? tr("все приборы")
                                                              : QString::number(address));
    const auto values = velora_decoding::commandFields(command);
    for (const PartLine& line : kPartLines) {
        lines << tr(line.heading).arg(partValue(line, values));
    }
    return lines.join('\n');
}

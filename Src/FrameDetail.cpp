#include <FrameDetail.h>
#include <SessionModel.h>

#include <config_velora_tq4/Command.h>
#include <velora_protocol/MessageType.h>
#include <velora_protocol/newp/Answer.h>

#include <QDateTime>
#include <QPlainTextEdit>

namespace {

using velora_protocol::newp::Answer;
using velora_protocol::newp::BitPosition;

struct Flag {
    BitPosition position;
    const char* label;
};

// The named flags of an answer with data, in the order of their bytes.
const Flag kFlags[] = {
    {Answer::kOkBit, "бит OK"},
    {Answer::kLongAnswerBit, "ответ с данными"},
    {Answer::kDeviceReset, "сброс от прибора"},
    {Answer::kLoop1Norm, "шлейф 1: норма"},
    {Answer::kLoop1Failure, "шлейф 1: неисправность"},
    {Answer::kLoop1Warning, "шлейф 1: внимание"},
    {Answer::kLoop1Fire, "шлейф 1: пожар"},
    {Answer::kLoop1Blocked, "шлейф 1: блокировка"},
    {Answer::kLoop1SwitchedOn, "шлейф 1: включение"},
    {Answer::kLoop1SwitchedOff, "шлейф 1: отключён"},
    {Answer::kLoop1Triggered, "шлейф 1: сработал"},
    {Answer::kLoop2Norm, "шлейф 2: норма"},
    {Answer::kLoop2Failure, "шлейф 2: неисправность"},
    {Answer::kLoop2Warning, "шлейф 2: внимание"},
    {Answer::kLoop2Fire, "шлейф 2: пожар"},
    {Answer::kLoop2Blocked, "шлейф 2: блокировка"},
    {Answer::kLoop2SwitchedOn, "шлейф 2: включение"},
    {Answer::kLoop2SwitchedOff, "шлейф 2: отключён"},
    {Answer::kLoop2Triggered, "шлейф 2: сработал"},
    {Answer::kTamper, "тампер"},
    {Answer::kOutputsFault, "неисправность выходов с контролем"},
    {Answer::kLine3Norm, "л.с. 3: норма"},
    {Answer::kLine4Norm, "л.с. 4: норма"},
    {Answer::kLine3Fault, "л.с. 3: неисправность"},
    {Answer::kLine4Fault, "л.с. 4: неисправность"},
    {Answer::kLine3Triggered, "л.с. 3: сработала"},
    {Answer::kLine4Triggered, "л.с. 4: сработала"},
    {Answer::kBadSupplyVoltage, "плохое напряжение питания"},
};

QString dateTime(std::int64_t wallNs) {
    return QDateTime::fromMSecsSinceEpoch(wallNs / 1'000'000)
        .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz"));
}

// "1, 3" for the numbers first..last that `on` holds for; "нет" for none.
template <typename Predicate>
QString numbers(int first, int last, Predicate on) {
    QStringList list;
    for (int n = first; n <= last; ++n) {
        if (on(n)) {
            list << QString::number(n);
        }
    }
    return list.isEmpty() ? FrameDetail::tr("нет") : list.join(QStringLiteral(", "));
}

QString yesNo(bool on) {
    return on ? FrameDetail::tr("да") : FrameDetail::tr("нет");
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
    const Answer answer(std::vector<std::uint8_t>(record.begin(), record.end()));
    QStringList lines{tr("Биты ответа:")};
    for (const Flag& flag : kFlags) {
        if (answer.isSet(flag.position)) {
            lines << tr("  %1 (байт %2, бит %3)")
                         .arg(QString::fromUtf8(flag.label))
                         .arg(flag.position.index)
                         .arg(flag.position.bit);
        }
    }
    const int groups = answer.word(Answer::kGroupCommandsIndex);
    lines << tr("  групповые команды: %1").arg(numbers(0, 7, [groups](int group) {
        return (groups >> group) & 1;
    }));
    return lines.join('\n');
}

QString FrameDetail::commandFields(const FrameRecord& record) {
    const config_velora_tq4::Command command(
        std::vector<std::uint8_t>(record.begin(), record.end()), false);
    const int address = command.deviceAddress();
    QStringList lines{tr("Поля команды:")};
    lines << tr("  адрес: %1").arg(address == 0 ? tr("все приборы") : QString::number(address))
          << tr("  сброс: %1").arg(yesNo(command.deviceReset()))
          << tr("  отмена тревоги: %1").arg(yesNo(command.cancelAlarm()))
          << tr("  включить шлейфы: %1")
                 .arg(numbers(1, 2, [&command](int loop) { return command.loopOn(loop); }))
          << tr("  отключить шлейфы: %1")
                 .arg(numbers(1, 2, [&command](int loop) { return command.loopOff(loop); }))
          << tr("  включить выходы: %1")
                 .arg(numbers(1, 8, [&command](int output) { return command.outputOn(output); }))
          << tr("  отключить выходы: %1")
                 .arg(numbers(1, 8, [&command](int output) { return command.outputOff(output); }))
          << tr("  групповые команды: %1").arg(numbers(0, 7, [&command](int group) {
                 return command.groupCommand(group);
             }));
    return lines.join('\n');
}

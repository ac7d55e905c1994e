#include <velora_decoding/Diagnosis.h>

#include <cstdio>

namespace velora_decoding {

namespace {

constexpr const char* kIds[kDiagnosisKinds] = {
    "line_signal", "no_panel", "duplicate_address", "noise", "intermittent", "slow_answer",
};
constexpr const char* kTitles[kDiagnosisKinds] = {
    "Неверный сигнал линии", "Нет опросов пульта", "Два прибора на одном адресе", "Помехи",
    "Пропуски ответов",      "Поздние ответы",
};

double percent(std::int64_t part, std::int64_t whole) {
    return whole <= 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

double ms(std::int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

const char* signalCause(SignalCause cause) {
    switch (cause) {
    case SignalCause::SwappedAB:
        return "Вероятнее всего, перепутаны провода A и B: проверьте подключение "
               "преобразователя к линии.";
    case SignalCause::LowerSpeed:
        return "Вероятнее всего, линия работает медленнее 19200 бод (или линия замкнута): "
               "проверьте скорость пульта и преобразователя.";
    case SignalCause::OtherSpeed:
        break;
    }
    return "Вероятнее всего, скорость линии не 19200 бод: проверьте скорость пульта и "
           "преобразователя, затем провода A и B.";
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string findingText(const Diagnosis& d);

} // namespace

const char* diagnosisId(DiagnosisKind kind) {
    return kIds[static_cast<int>(kind)];
}

const char* diagnosisTitle(DiagnosisKind kind) {
    return kTitles[static_cast<int>(kind)];
}

std::string diagnosisText(const Diagnosis& d) {
    std::string text = findingText(d);
    if (d.framingErrors >= 0) {
        text += format(" Ошибок стоп-бита у преобразователя: %lld.",
                       static_cast<long long>(d.framingErrors));
    }
    return text;
}

namespace {

std::string findingText(const Diagnosis& d) {
    switch (d.kind) {
    case DiagnosisKind::LineSignal:
        return format("Почти все байты (%.0f%%) не складываются в кадры. %s",
                      percent(d.figure, d.reference), signalCause(d.cause));
    case DiagnosisKind::NoPanel:
        if (d.silent && d.figure == 0) {
            return "С линии не пришло ни одного байта. Проверьте подключение преобразователя "
                   "к линии и питание пульта.";
        }
        return d.silent ? format("На линии тишина до %.0f с. Проверьте подключение "
                                 "преобразователя к линии и питание пульта.",
                                 static_cast<double>(d.figure) / 1e9)
                        : format("Байты идут, но опросов пульта нет до %.0f с. Проверьте, не "
                                 "в режиме ли обслуживания пульт и нет ли на линии другого "
                                 "ведущего.",
                                 static_cast<double>(d.figure) / 1e9);
    case DiagnosisKind::DuplicateAddress:
        return format("На адрес %d отвечают два прибора: искажено ответов %lld из %lld опросов. "
                      "Проверьте адреса приборов: один из них нужно сменить.",
                      d.address, static_cast<long long>(d.figure),
                      static_cast<long long>(d.reference));
    case DiagnosisKind::Noise:
        return format("Помехи вне ответов приборов: пачек %llu, байт %lld. Проверьте экран и "
                      "заземление кабеля, согласующие резисторы, соседство с силовыми кабелями.",
                      static_cast<unsigned long long>(d.count), static_cast<long long>(d.figure));
    case DiagnosisKind::Intermittent:
        return format("Прибор %d пропускает опросы, но не пропадает: пропущено %lld из %lld "
                      "(%.1f%%). Проверьте контакты линии и питание прибора.",
                      d.address, static_cast<long long>(d.figure),
                      static_cast<long long>(d.reference), percent(d.figure, d.reference));
    case DiagnosisKind::SlowAnswer:
        return format("Прибор %d отвечает поздно: медиана %.1f мс, на линии %.1f мс. "
                      "Проверьте прибор и его участок линии.",
                      d.address, ms(d.figure), ms(d.reference));
    }
    return {};
}

} // namespace

} // namespace velora_decoding

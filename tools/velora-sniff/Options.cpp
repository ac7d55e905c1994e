#include "Options.h"

#include <velora_cli/NumberList.h>
#include <velora_cli/Program.h>
#include <velora_protocol/Addresses.h>
#include <velora_protocol/MessageType.h>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

const char* const kUsage = R"(Использование: velora-sniff [ПАРАМЕТРЫ] ПОРТ
             velora-sniff [ПАРАМЕТРЫ] --replay ФАЙЛ
Прослушивает линию «Velora» через преобразователь USB-RS485 (ПОРТ: ttyUSB0,
/dev/ttyUSB0) с теми же настройками, что и программа «Отладчик «Velora»», и выводит
по строке на каждое сообщение журнала, пока его не прервут (Ctrl+C).

  -r, --replay ФАЙЛ          расшифровать запись: pcap или pcapng (время кадров из
                             записи) или сырые байты (--record); «-» — стандартный ввод
  -W, --write ФАЙЛ           записать все кадры линии в файл pcap (при прослушивании
                             или из --replay, так сырая запись становится pcap);
                             «-» — в стандартный вывод, например для tshark -r -
      --ring N:МБ            с --write: хранить N последних файлов не больше МБ
                             мегабайт каждый; в именах номер и время начала
  -w, --record ФАЙЛ          при прослушивании порта записать все принятые байты
                             без изменений (сырая запись)
  -d, --duration СЕКУНДЫ     закончить прослушивание через столько секунд, как по
                             Ctrl+C
  -x, --raw                  показывать байты кадров в шестнадцатеричном виде
  -T, --timestamps           начинать строки со времени кадра (в --tsv — пятое поле)
      --time-format ВИД      absolute — местное время до миллисекунд (по умолчанию),
                             iso — ISO 8601 с микросекундами и смещением, relative —
                             секунды от первого кадра, delta — от предыдущего
      --tsv                  для программ: тип, адрес (0 для мусора), текст и байты
                             через табуляцию, больше ничего в стандартный вывод
  -t, --types СПИСОК         показывать только эти типы, например 1,3-5: 1 опрос,
                             2 ответ без данных, 3 ответ с данными, 4 его
                             подтверждение, 5 команда, 6 её подтверждение, 7 мусор
  -a, --addresses СПИСОК     показывать только эти адреса (1..127); мусорные байты
                             адреса не имеют и показываются всегда
  -s, --stats                в конце вывести таблицу приборов: счётчики, пропуски
                             ответов, присутствие (в --tsv — таблицей для программ в
                             стандартный поток ошибок) и точность времени
  -S, --stats-only           вывести только таблицу приборов (в --tsv — в
                             стандартный вывод), без строк журнала
      --alerts               строка со временем в стандартный поток ошибок, когда
                             прибор замолкает, пропадает, снова отвечает, входит в
                             тревогу или неисправность или выходит из них, и когда
                             найдена неполадка линии
      --diagnose             в конце вывести неполадки линии с тем, что их
                             показало: два прибора на одном адресе, неверная
                             скорость или перепутанные A и B, помехи, пропуски и
                             поздние ответы прибора, нет опросов пульта (в --tsv —
                             таблицей для программ, как --stats)
      --config ФАЙЛ          сравнить приборы линии с конфигурацией пульта (файл с
                             ошибками не принимается)
      --walk-test            с --config: в конце вывести проверку шлейфов — по
                             каждому прибору конфигурации шлейфы 1 и 2, л.с. 3 и 4
                             и вскрытие: время тревоги, время возврата в норму,
                             итог (в --tsv — таблицей для программ, как --stats);
                             --report добавляет её и приёмку линии
      --report ФАЙЛ.pdf      в конце записать отчёт о линии в PDF
      --report-changes       добавить в отчёт приложение: все изменения состояния
  -h, --help                 показать эту справку и выйти
  -V, --version              показать версию и выйти

Фильтры меняют только вывод: в --write и --record попадает вся линия.

Коды завершения: 0 — успешно (и после Ctrl+C), 1 — порт или файл не открылся или
запись не удалась, 2 — неверные параметры, 3 — потеряна связь с преобразователем,
4 — запись для --replay оборвана или повреждена (всё читаемое расшифровано).
)";

const velora_cli::Program kProgram{"velora-sniff", kUsage, VELORA_VERSION};

std::set<int> numberList(const char* option, const std::string& text, int low, int high) {
    const auto numbers = velora_cli::parseNumberList(text, low, high);
    if (!numbers) {
        kProgram.usageError(std::string("неверный список ") + option + ": " + text);
    }
    return *numbers;
}

LogPrinter::TimeFormat timeFormat(const std::string& name) {
    using TF = LogPrinter::TimeFormat;
    for (const auto& [text, format] : {std::pair{"absolute", TF::Absolute},
                                       {"iso", TF::Iso},
                                       {"relative", TF::Relative},
                                       {"delta", TF::Delta}}) {
        if (name == text) {
            return format;
        }
    }
    kProgram.usageError("неизвестный вид времени: " + name + " (absolute, iso, relative, delta)");
}

void parseRing(const std::string& text, Options& options) {
    unsigned long files = 0;
    unsigned long megabytes = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%lu:%lu%c", &files, &megabytes, &end) != 2 || files == 0 ||
        megabytes == 0 || files > 100000 || megabytes > 1000000) {
        kProgram.usageError("неверное значение --ring: " + text + " (нужно N:МБ, например 10:100)");
    }
    options.ringFiles = files;
    options.ringBytes = static_cast<std::uint64_t>(megabytes) * 1'000'000;
}

long long durationSeconds(const std::string& text) {
    const auto seconds = velora_cli::parseNumber(text, 1, 365LL * 24 * 3600);
    if (!seconds) {
        kProgram.usageError("неверное значение --duration: " + text + " (нужно число секунд)");
    }
    return *seconds;
}

// What the command line says besides the options themselves.
struct Given {
    bool replay = false;
    bool timestamps = false;
};

std::vector<velora_cli::Option> optionTable(Options& o, Given& given) {
    using Value = velora_cli::Option::Value;
    using velora_cli::raise;
    using velora_cli::store;
    return {
        {"replay", 'r', Value::Required,
         [&](const std::string& path) {
             o.replayPath = path;
             given.replay = true;
         }},
        {"write", 'W', Value::Required, store(o.writePath)},
        {"ring", 0, Value::Required, [&o](const std::string& text) { parseRing(text, o); }},
        {"record", 'w', Value::Required, store(o.recordPath)},
        {"duration", 'd', Value::Required,
         [&o](const std::string& text) { o.durationSeconds = durationSeconds(text); }},
        {"raw", 'x', Value::None, raise(o.raw)},
        {"timestamps", 'T', Value::None, raise(given.timestamps)},
        {"time-format", 0, Value::Required,
         [&o](const std::string& name) { o.timeFormat = timeFormat(name); }},
        {"tsv", 0, Value::None, raise(o.tsv)},
        {"types", 't', Value::Required,
         [&o](const std::string& text) {
             o.types = numberList("--types", text, mtQuery, mtTrash);
         }},
        {"addresses", 'a', Value::Required,
         [&o](const std::string& text) {
             o.addresses = numberList("--addresses", text, velora_protocol::kFirstDevice,
                                      velora_protocol::kSpecialAddress);
         }},
        {"stats", 's', Value::None, raise(o.stats)},
        {"stats-only", 'S', Value::None,
         [&o](const std::string&) { o.stats = o.statsOnly = true; }},
        {"alerts", 0, Value::None, raise(o.alerts)},
        {"diagnose", 0, Value::None, raise(o.diagnose)},
        {"config", 0, Value::Required, store(o.configPath)},
        {"walk-test", 0, Value::None, raise(o.walkTest)},
        {"report", 0, Value::Required, store(o.reportPath)},
        {"report-changes", 0, Value::None, raise(o.reportChanges)},
    };
}

// The rules between options and operands.
void check(Options& options, const Given& given, int operands, char** operand) {
    if (given.replay ? operands != 0 : operands != 1) {
        kProgram.usageError(given.replay ? "с --replay порт не указывают"
                                         : "нужен порт или --replay ФАЙЛ");
    }
    if (!given.replay) {
        options.port = *operand;
    }
    if (given.replay && options.durationSeconds > 0) {
        kProgram.usageError("--duration ограничивает только прослушивание порта");
    }
    if (given.replay && !options.recordPath.empty()) {
        kProgram.usageError("--record записывает только прослушиваемый порт");
    }
    if (options.ringFiles > 0 && (options.writePath.empty() || options.writePath == "-")) {
        kProgram.usageError("--ring нужен файл --write");
    }
    if (options.walkTest && options.configPath.empty()) {
        kProgram.usageError("--walk-test нужен файл --config");
    }
    if (given.timestamps && options.timeFormat == LogPrinter::TimeFormat::None) {
        options.timeFormat = LogPrinter::TimeFormat::Absolute;
    }
}

} // namespace

Options Options::read(int argc, char** argv) {
    Options options;
    Given given;
    const int first = kProgram.readOptions(optionTable(options, given), argc, argv);
    check(options, given, argc - first, argv + first);
    return options;
}

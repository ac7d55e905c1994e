#include <velora_report/ConfigComparison.h>

#include <config_velora_tq4/Configuration.h>
#include <config_velora_tq4/DeviceNames.h>
#include <config_velora_tq4/DocumentCheck.h>

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>

namespace velora_report {

namespace {

// The devices' names as the file has them: the configuration's model holds them in the
// display's form, with Latin letters for the Cyrillic ones that look alike. The device's
// own name first, then those of its loops and lines.
std::map<int, DeviceNamesText> typedNames(const QByteArray& document) {
    const QStringList elements = config_velora_tq4::DeviceNames::nameElements();
    const int kOwn = static_cast<int>(elements.indexOf(QStringLiteral("deviceName")));
    const int kFirstPoint = static_cast<int>(elements.indexOf(QStringLiteral("loop1Name")));
    std::map<int, DeviceNamesText> names;
    QXmlStreamReader reader(document);
    int address = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (reader.name() == QLatin1String("device")) {
            address = reader.attributes().value(QLatin1String("address")).toInt();
            continue;
        }
        const int field = static_cast<int>(
            elements.indexOf(config_velora_tq4::DeviceNames::nameElementOf(reader.name())));
        if (address <= 0 || field < 0) {
            continue;
        }
        const QString text = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        if (field == kOwn) {
            names[address].device = text;
        } else if (field >= kFirstPoint && field < kFirstPoint + velora_protocol::kPointCount) {
            names[address].points[static_cast<std::size_t>(field - kFirstPoint)] = text;
        }
    }
    return names;
}

// Every diagnostic of the check, errors refuse the file; empty when it has none.
QString refusal(const QString& path, const QByteArray& document) {
    const auto diagnostics = config_velora_tq4::checkDocument(document);
    const bool refused = std::any_of(diagnostics.begin(), diagnostics.end(),
                                     [](const auto& d) { return d.isError(); });
    QStringList lines;
    for (const auto& diagnostic : diagnostics) {
        lines << diagnostic.format(path);
    }
    return refused ? lines.join(QLatin1Char('\n')) : QString();
}

} // namespace

bool ConfigComparison::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText =
            QCoreApplication::translate("ConfigComparison", "Не удаётся открыть файл %1: %2")
                .arg(path, file.errorString());
        return false;
    }
    const QByteArray document = file.readAll();
    if (const QString refused = refusal(path, document); !refused.isEmpty()) {
        errorText = refused;
        return false;
    }
    QXmlStreamReader reader(document);
    config_velora_tq4::Configuration config;
    config.parseXml(reader);
    if (reader.hasError()) {
        errorText = QStringLiteral("%1:%2: %3")
                        .arg(path)
                        .arg(reader.lineNumber())
                        .arg(reader.errorString());
        return false;
    }
    devices.clear();
    const std::map<int, DeviceNamesText> typed = typedNames(document);
    for (const auto& section : config.sections()) {
        for (const auto& entry : section.second.devices) {
            const auto it = typed.find(entry.first);
            devices[entry.first] = it != typed.end() ? it->second : DeviceNamesText{};
        }
    }
    panelText = QCoreApplication::translate("ConfigComparison", "%1 %2, адрес %3")
                    .arg(QLatin1String(config_velora_tq4::Configuration::kDeviceId))
                    .arg(config.pultType()
                             ? QCoreApplication::translate("ConfigComparison", "с разделами")
                             : QCoreApplication::translate("ConfigComparison", "без разделов"))
                    .arg(config.pultAddress());
    fileName = path;
    errorText.clear();
    return true;
}

QString ConfigComparison::name(int address) const {
    const auto it = devices.find(address);
    return it == devices.end() ? QString() : it->second.device;
}

QString ConfigComparison::checkName(int address, velora_decoding::WalkCheck check) const {
    const auto point = static_cast<std::size_t>(check);
    const auto it = devices.find(address);
    if (point < velora_protocol::kPointCount && it != devices.end() &&
        !it->second.points[point].isEmpty()) {
        return it->second.points[point];
    }
    return point < velora_protocol::kPointCount
               ? QString::fromWCharArray(velora_protocol::kPointNames[point])
               : QCoreApplication::translate("ConfigComparison", "вскрытие корпуса");
}

std::vector<int> ConfigComparison::addresses() const {
    std::vector<int> all;
    for (const auto& entry : devices) {
        all.push_back(entry.first);
    }
    return all;
}

Verdict ConfigComparison::verdict(int address, const velora_decoding::DeviceStatus& device) const {
    const bool answering = device.presence == velora_decoding::Presence::Answering;
    if (!configured(address)) {
        return answering ? Verdict::NotConfigured : Verdict::Irrelevant;
    }
    if (answering) {
        return Verdict::Answering;
    }
    return device.polls == 0 ? Verdict::NeverPolled : Verdict::Silent;
}

std::vector<int> shownAddresses(const velora_decoding::DeviceTracker& tracker,
                                const ConfigComparison* comparison) {
    std::vector<int> addresses;
    for (int a = velora_decoding::DeviceTracker::kFirstAddress;
         a <= velora_decoding::DeviceTracker::kLastAddress; ++a) {
        if (tracker.device(a).seen() || (comparison != nullptr && comparison->configured(a))) {
            addresses.push_back(a);
        }
    }
    return addresses;
}

} // namespace velora_report

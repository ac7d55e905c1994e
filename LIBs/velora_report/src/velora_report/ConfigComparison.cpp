#include <velora_report/ConfigComparison.h>

#include <config_velora_tq4/Configuration.h>

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>

namespace velora_report {

namespace {

// The devices' names as the file has them: the configuration's model holds them in the
// display's form, with Latin letters for the Cyrillic ones that look alike.
std::map<int, QString> typedNames(const QByteArray& document) {
    std::map<int, QString> names;
    QXmlStreamReader reader(document);
    int address = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (reader.name() == QLatin1String("device")) {
            address = reader.attributes().value(QLatin1String("address")).toInt();
        } else if (reader.name() == QLatin1String("deviceName") && address > 0) {
            names[address] = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    return names;
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
    const std::map<int, QString> typed = typedNames(document);
    for (const auto& section : config.sections()) {
        for (const auto& entry : section.second.devices) {
            const auto it = typed.find(entry.first);
            devices[entry.first] = it != typed.end() ? it->second : QString();
        }
    }
    fileName = path;
    errorText.clear();
    return true;
}

QString ConfigComparison::name(int address) const {
    const auto it = devices.find(address);
    return it == devices.end() ? QString() : it->second;
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

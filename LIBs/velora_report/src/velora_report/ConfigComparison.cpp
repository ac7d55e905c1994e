#include <velora_report/ConfigComparison.h>

#include <config_velora_tq4/Configuration.h>

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>

namespace velora_report {

bool ConfigComparison::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText =
            QCoreApplication::translate("ConfigComparison", "Не удаётся открыть файл %1: %2")
                .arg(path, file.errorString());
        return false;
    }
    QXmlStreamReader reader(&file);
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
    for (const auto& section : config.sections()) {
        for (const auto& entry : section.second.devices) {
            const auto& names = entry.second.names;
            devices[entry.first] = names ? QString::fromStdWString(names->deviceName) : QString();
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

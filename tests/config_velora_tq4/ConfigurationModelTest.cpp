#include "XmlSupport.h"

#include <config_velora_tq4/Configuration.h>
#include <config_velora_tq4/DocumentCheck.h>

#include <algorithm>
#include <random>
#include <stdexcept>

using namespace config_velora_tq4;

namespace {

// Characters that the reader's display-form correction leaves alone, XML specials included.
const std::wstring kDisplayAlphabet =
    L"ABCHKMOPTXabcehkmopxy0123456789 .,-<>&\"'БГДЖЗИЙЛПУФЦЧШЩЪЫЭЮЯбвгджзийклмнптфцчшщъыьэюяЁё";

class Random {
public:
    explicit Random(unsigned seed)
        : engine(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    std::wstring text(int maxLength) {
        std::wstring t(static_cast<std::size_t>(between(0, maxLength)), L' ');
        for (auto& c : t) {
            c = kDisplayAlphabet[static_cast<std::size_t>(
                between(0, static_cast<int>(kDisplayAlphabet.size()) - 1))];
        }
        return t;
    }
    std::wstring nonEmptyText(int maxLength) { return L"#" + text(maxLength - 1); }

private:
    std::mt19937 engine;
};

EventTable randomTable(Random& r, bool base) {
    EventTable table;
    table.name = base ? std::wstring() : r.nonEmptyText(12);
    const int changes = r.between(base ? 0 : 1, 4);
    for (int i = 0; i < changes; ++i) {
        const int e = r.between(0, EventTable::EventCount - 1);
        table.texts[e] = r.nonEmptyText(16);
        table.emergency[e] = r.chance(50);
    }
    return table;
}

Section randomSection(Random& r, int address, int tableCount) {
    Section section;
    section.address = address;
    section.group = r.between(0, 8);
    section.dubler = r.chance(50);
    section.name = r.chance(70) ? r.nonEmptyText(10) : std::wstring();
    if (section.dubler) {
        section.dublerName = r.text(10);
    }
    for (int n = r.between(0, 5); n > 0; --n) {
        Device device;
        device.address = r.between(1, 127);
        device.zone = r.between(0, 30);
        if (r.chance(60)) {
            device.names = std::make_shared<DeviceNames>();
            device.names->eventTable = static_cast<unsigned>(r.between(0, tableCount - 1));
            device.names->deviceName = r.text(10);
            device.names->outsName = r.text(10);
            device.names->loop1Name = r.text(10);
            device.names->loop2Name = r.text(10);
            device.names->line3Name = r.text(10);
            device.names->line4Name = r.text(10);
        }
        section.devices[device.address] = device;
    }
    return section;
}

Configuration randomConfiguration(Random& r) {
    Configuration config;
    const bool sectioned = r.chance(50);
    config.setPultType(sectioned);
    config.setBacklightLevel(r.between(-5, 1000));
    config.setBacklightTime(r.between(0, 600));
    config.setMessageTime(r.between(0, 600));
    config.setMenuTime(r.between(0, 600));
    config.setClockSyncHour(r.between(0, 24));
    config.setZummerConfig(r.between(0, 255));
    if (r.chance(50)) {
        std::string password(static_cast<std::size_t>(r.between(0, 8)), '0');
        for (auto& c : password) {
            c = static_cast<char>('0' + r.between(0, 9));
        }
        config.setPassword(password);
    }
    config.setVoltage24(r.chance(50));
    config.setIndividualReset(!sectioned || r.chance(50));
    config.setPultAddress(r.between(0, 63));

    config.eventTable(0) = randomTable(r, true);
    for (int n = r.between(0, 15); n > 0; --n) {
        config.addEventTable(randomTable(r, false));
    }
    if (sectioned) {
        for (int n = r.between(0, 4); n > 0; --n) {
            config.putSection(randomSection(r, r.between(1, 40), config.eventTableCount()));
        }
    } else {
        config.putSection(randomSection(r, 0, config.eventTableCount()));
    }
    for (int n = r.between(0, 5); n > 0; --n) {
        std::vector<std::uint8_t> bytes(Command::kLength);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(r.between(0, 255));
        }
        Command command(bytes, sectioned);
        command.setName(r.text(12));
        config.addCommand();
        config.command(static_cast<int>(config.commands().size()) - 1) = command;
    }
    return config;
}

QString document(const Configuration& config) {
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    config.toXml(writer);
    writer.writeEndDocument();
    return text;
}

Configuration readBack(const QString& xml) {
    QXmlStreamReader reader(xml);
    Configuration config;
    config.parseXml(reader);
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return config;
}

} // namespace

TEST(ConfigurationRoundTrip, RandomConfigurationsCheckCleanAndReadBackEqual) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        Random r(seed);
        const Configuration config = randomConfiguration(r);
        const QString xml = document(config);
        for (const Diagnostic& d : checkDocument(xml.toUtf8())) {
            ADD_FAILURE() << d.format(QStringLiteral("random")).toStdString();
        }
        const Configuration back = readBack(xml);
        EXPECT_EQ(back, config) << xml.toStdString();
        EXPECT_EQ(document(back), xml);
    }
}

TEST(ConfigurationRoundTrip, UsedDefaultTableKeepsItsPlace) {
    Configuration config;
    config.addEventTable(EventTable());
    config.addEventTable(EventTable());
    config.section(0).devices[4] = Device();
    config.section(0).devices[4].address = 4;
    config.section(0).devices[4].names = std::make_shared<DeviceNames>();
    config.section(0).devices[4].names->eventTable = 2;
    EXPECT_TRUE(config.rebuildEventTables());
    ASSERT_EQ(config.eventTableCount(), 2);
    EXPECT_EQ(config.eventTable(1).name, eventTableName(1));
    EXPECT_EQ(config.section(0).devices[4].names->eventTable, 1u);
    EXPECT_FALSE(config.rebuildEventTables());
    EXPECT_EQ(readBack(document(config)), config);
}

// The event tables as a model sees them: each table by a unique name, each device's
// reference by the name of the table it refers to.
class TableModel {
public:
    TableModel(Configuration& config, Random& r)
        : config(config)
        , r(r) {}

    void addTable() {
        EventTable table;
        table.name = L"T" + std::to_wstring(nextName++);
        config.addEventTable(table);
        if (tables.size() < 16) {
            tables.push_back(table.name);
        }
    }

    void addSections(bool sectioned) {
        for (int s = sectioned ? 1 : 0; s <= (sectioned ? 3 : 0); ++s) {
            Section section;
            section.address = s;
            for (int d = 1; d <= 6; ++d) {
                Device device;
                device.address = d;
                if (d != 6) { // one device without names
                    const int t = r.between(0, static_cast<int>(tables.size()) - 1);
                    device.names = std::make_shared<DeviceNames>();
                    device.names->eventTable = static_cast<unsigned>(t);
                    refs[{s, d}] = tables[static_cast<std::size_t>(t)];
                }
                section.devices[d] = device;
            }
            config.putSection(section);
        }
    }

    // One random operation on the configuration, and what it does to the model.
    void randomStep() {
        const int count = static_cast<int>(tables.size());
        const int a = r.between(-1, 17);
        const int b = r.between(-1, 17);
        switch (r.between(0, 6)) {
        case 0:
            config.removeEventTable(a);
            if (a > 0 && a < count) {
                forget(tables[static_cast<std::size_t>(a)]);
                tables.erase(tables.begin() + a);
            }
            break;
        case 1:
            config.swapEventTables(a, b);
            if (a != b && a >= 1 && b >= 1 && a < count && b < count) {
                std::swap(tables[static_cast<std::size_t>(a)], tables[static_cast<std::size_t>(b)]);
            }
            break;
        case 2:
            config.moveEventTableToFront(a);
            if (a > 1 && a < count) {
                move(a, 1);
            }
            break;
        case 3:
            config.moveEventTableToEnd(a);
            if (a > 0 && a < count - 1) {
                move(a, count - 1);
            }
            break;
        case 4:
            if (r.chance(10)) {
                config.clearEventTables();
                tables.assign(1, L"");
                forget(L"");
            }
            break;
        default:
            addTable();
            break;
        }
    }

    void expectAgreement(int step) const {
        ASSERT_EQ(config.eventTableCount(), static_cast<int>(tables.size())) << step;
        for (int i = 0; i < config.eventTableCount(); ++i) {
            EXPECT_EQ(config.eventTable(i).name, tables[static_cast<std::size_t>(i)]);
        }
        for (const auto& ref : refs) {
            const auto& names = config.section(ref.first.first).devices.at(ref.first.second).names;
            ASSERT_LT(names->eventTable, tables.size()) << step;
            EXPECT_EQ(config.eventTable(static_cast<int>(names->eventTable)).name, ref.second)
                << step;
        }
        for (std::size_t i = 1; i < tables.size(); ++i) {
            const bool used = std::any_of(refs.begin(), refs.end(),
                                          [&](const auto& ref) { return ref.second == tables[i]; });
            EXPECT_EQ(config.isEventTableUsed(static_cast<int>(i)), used) << step << ' ' << i;
        }
    }

private:
    void move(int from, int to) {
        const std::wstring name = tables[static_cast<std::size_t>(from)];
        tables.erase(tables.begin() + from);
        tables.insert(tables.begin() + to, name);
    }
    // References to the named table (every reference for ""), now to the base table.
    void forget(const std::wstring& name) {
        for (auto& ref : refs) {
            if (name.empty() || ref.second == name) {
                ref.second = L"";
            }
        }
    }

    Configuration& config;
    Random& r;
    int nextName = 0;
    std::vector<std::wstring> tables{L""};
    std::map<std::pair<int, int>, std::wstring> refs; // (section, device) -> table name
};

TEST(ConfigurationTables, ReferencesFollowEveryOperation) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        Random r(seed);
        Configuration config;
        const bool sectioned = r.chance(50);
        config.setPultType(sectioned);
        TableModel model(config, r);
        for (int n = r.between(1, 15); n > 0; --n) {
            model.addTable();
        }
        model.addSections(sectioned);
        for (int step = 0; step < 80; ++step) {
            model.randomStep();
            model.expectAgreement(step);
        }
    }
}

TEST(ConfigurationTables, LookupsAndLimits) {
    Configuration config;
    EXPECT_THROW(config.eventTable(1), std::out_of_range);
    EXPECT_THROW(config.eventTable(-1), std::out_of_range);
    EXPECT_THROW(config.command(0), std::out_of_range);
    EXPECT_THROW(config.section(3), std::out_of_range);
    EXPECT_TRUE(config.isEventTableUsed(0));
    EXPECT_FALSE(config.isEventTableUsed(-1));
    config.section(0).devices[1] = Device();
    config.section(0).devices[1].names = std::make_shared<DeviceNames>();
    config.section(0).devices[1].names->eventTable = 16;
    EXPECT_FALSE(config.isEventTableUsed(16));

    EventTable named;
    named.name = L"N";
    config.eventTable(0).name = L"B";
    for (int i = 0; i < 20; ++i) {
        config.addEventTable(named);
    }
    EXPECT_EQ(config.eventTableCount(), 16);
    EXPECT_TRUE(config.eventTableNameExists(L"N"));
    EXPECT_FALSE(config.eventTableNameExists(L"B")); // table 0 does not count
    config.clearEventTables();
    EXPECT_EQ(config.eventTableCount(), 1);
    EXPECT_EQ(config.section(0).devices[1].names->eventTable, 0u);
}

TEST(ConfigurationCommands, ListOperationsMatchAModel) {
    Configuration config;
    std::vector<std::wstring> model;
    for (int i = 0; i < 6; ++i) {
        config.addCommand();
        config.command(i).setName(defaultCommandName(i));
        model.push_back(defaultCommandName(i));
    }
    Random r(7);
    for (int step = 0; step < 200; ++step) {
        const int count = static_cast<int>(model.size());
        const int a = r.between(-1, 7);
        const int b = r.between(-1, 7);
        switch (r.between(0, 2)) {
        case 0:
            config.swapCommands(a, b);
            if (a != b && a >= 0 && b >= 0 && a < count && b < count) {
                std::swap(model[static_cast<std::size_t>(a)], model[static_cast<std::size_t>(b)]);
            }
            break;
        case 1:
            config.moveCommandToFront(a);
            if (a > 0 && a < count) {
                std::rotate(model.begin(), model.begin() + a, model.begin() + a + 1);
            }
            break;
        default:
            config.moveCommandToEnd(a);
            if (a >= 0 && a < count - 1) {
                std::rotate(model.begin() + a, model.begin() + a + 1, model.end());
            }
            break;
        }
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(config.commands()[static_cast<std::size_t>(i)].name(),
                      model[static_cast<std::size_t>(i)])
                << step;
        }
    }
    EXPECT_TRUE(config.commandNameExists(defaultCommandName(5)));
    EXPECT_FALSE(config.commandNameExists(defaultCommandName(6)));
    config.removeCommand(9);
    config.removeCommand(0);
    EXPECT_EQ(config.commands().size(), 5u);
}

#pragma once

#include <config_velora_tq4/Command.h>
#include <config_velora_tq4/EventTable.h>
#include <config_velora_tq4/Section.h>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace config_velora_tq4 {

// One configuration of the control panel: panel settings, sections with their devices,
// commands and event tables, with its XML reader and writer. Always complete: section 0
// exists while the panel has one section, there is at least the base event table, and the
// devices' event-table numbers follow every removal or move of a table.
class Configuration {
public:
    static constexpr char kDeviceId[] = "Velora-TQ4";
    static constexpr int kFormatVersion = 2;
    static constexpr int kMaxCommands = 64;
    static constexpr int kMaxEventTables = 16;
    static constexpr int kMaxPasswordLength = 8;
    // clockSyncHour of a panel that does not synchronise its clock.
    static constexpr int kNoClockSync = 255;
    // The default contents of an event table; new tables are copies of it. Built on first
    // use, so that configurations constructed during static initialisation see it too.
    static const EventTable& defaultEventTable();

    Configuration();
    virtual ~Configuration() = default;

    bool operator==(const Configuration& other) const;
    bool operator!=(const Configuration& other) const { return !(*this == other); }

    // Restores the default configuration.
    void clear();

    int backlightLevel() const { return backlightLevel_; }
    void setBacklightLevel(int value) { backlightLevel_ = value; }
    int backlightTime() const { return backlightTime_; }
    void setBacklightTime(int value) { backlightTime_ = value; }
    int messageTime() const { return messageTime_; }
    void setMessageTime(int value) { messageTime_ = value; }
    int menuTime() const { return menuTime_; }
    void setMenuTime(int value) { menuTime_ = value; }
    int clockSyncHour() const { return clockSyncHour_; }
    // An hour outside 0..23 is stored as kNoClockSync.
    void setClockSyncHour(int hour);
    int zummerConfig() const { return zummerConfig_; }
    void setZummerConfig(int value) { zummerConfig_ = value; }
    bool hasPassword() const { return hasPassword_; }
    const std::string& password() const { return password_; }
    // Sets the password as given; see isValidPassword for what the panel accepts.
    void setPassword(const std::string& password);
    void clearPassword();
    // At most 8 decimal digits (UTF-8 text), the empty password included.
    static bool isValidPassword(const std::string& password);
    bool pultType() const { return pultType_; }
    // Changing the panel type drops all sections and commands; with one section (false),
    // a default section 0 is created.
    void setPultType(bool sectioned);
    bool voltage24() const { return voltage24_; }
    void setVoltage24(bool on) { voltage24_ = on; }
    bool individualReset() const { return individualReset_; }
    void setIndividualReset(bool on) { individualReset_ = on; }
    int pultAddress() const { return pultAddress_; }
    void setPultAddress(int address) { pultAddress_ = address; }

    const std::map<int, Section>& sections() const { return sections_; }
    // The section under this address; throws std::out_of_range when there is none.
    Section& section(int address);
    // Stores the section under its address when it fits the panel type: address 0 with one
    // section, a non-zero address with sections. Returns whether it was stored.
    bool putSection(const Section& section);
    // Removes a section; section 0 of a one-section panel stays.
    bool removeSection(int address);

    const std::vector<Command>& commands() const { return commands_; }
    // Throws std::out_of_range for an index outside the list.
    Command& command(int i);
    // A new command in the layout of the panel type; false when the list is full.
    bool addCommand();
    void removeCommand(int i);
    void swapCommands(int a, int b);
    void moveCommandToFront(int i);
    void moveCommandToEnd(int i);
    bool commandNameExists(const std::wstring& name) const;

    int eventTableCount() const { return static_cast<int>(eventTables_.size()); }
    // Throws std::out_of_range for an index outside the list.
    EventTable& eventTable(int i);
    const EventTable& eventTable(int i) const;
    void addEventTable(const EventTable& table);
    void removeEventTable(int i);
    void swapEventTables(int a, int b);
    void moveEventTableToFront(int i);
    void moveEventTableToEnd(int i);
    void clearEventTables();
    bool isEventTableUsed(int i) const;
    bool eventTableNameExists(const std::wstring& name) const;

    // Writes the "configuration" element; the document around it is the caller's.
    void toXml(QXmlStreamWriter& writer) const;
    // Replaces the whole content from the reader. A wrong document is reported through the
    // reader's error; the configuration is then the default one, or what was read before
    // the XML broke off, corrected and rebuilt in either case.
    void parseXml(QXmlStreamReader& reader);
    // Converts every text to the display form of the panel.
    void lcdCorrection();
    // Drops unused tables with default contents and names unnamed ones; true when a table
    // was removed.
    bool rebuildEventTables();

private:
    using Remap = std::function<unsigned(unsigned)>;

    // Applies remap to the event-table number of every device in scope.
    void remapEventTableReferences(const Remap& remap);
    bool readRoot(QXmlStreamReader& reader);
    void readElement(QXmlStreamReader& reader);
    void readPassword(const std::string& text);
    void readEventTable(QXmlStreamReader& reader);

    int backlightLevel_;
    int backlightTime_;
    int messageTime_;
    int menuTime_;
    int clockSyncHour_;
    int zummerConfig_;
    bool hasPassword_;
    std::string password_;
    bool pultType_;
    bool voltage24_;
    bool individualReset_;
    int pultAddress_;
    std::map<int, Section> sections_;
    std::vector<Command> commands_;
    std::vector<EventTable> eventTables_;
};

} // namespace config_velora_tq4

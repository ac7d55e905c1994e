// The Velora dissector: records of our captures (LINKTYPE_USER0, see docs/capture-format.md)
// with the texts of the log, taken from the decoding library.
#include "FlagFields.h"

#include <velora_capture/CaptureFormat.h>
#include <velora_decoding/FrameFields.h>
#include <velora_decoding/FrameText.h>
#include <velora_protocol/Command.h>
#include <velora_protocol/Crc16.h>
#include <velora_protocol/Frame.h>
#include <velora_protocol/MessageType.h>

#include <epan/expert.h>
#include <epan/packet.h>
#include <epan/proto.h>
#include <wiretap/wtap.h>
#include <ws_version.h>

#include <deque>
#include <string>
#include <vector>

extern "C" WS_DLL_PUBLIC_DEF const gchar plugin_version[] = VELORA_VERSION;
extern "C" WS_DLL_PUBLIC_DEF const int plugin_want_major = WIRESHARK_VERSION_MAJOR;
extern "C" WS_DLL_PUBLIC_DEF const int plugin_want_minor = WIRESHARK_VERSION_MINOR;
extern "C" WS_DLL_PUBLIC_DEF void plugin_register(void);

namespace {

int proto_velora = -1;
int hf_type = -1;
int hf_address = -1;
int hf_text = -1;
int hf_bytes = -1;
int hf_crc_ok = -1;
int hf_command_address = -1;
std::vector<int> hf_answer;  // one per answerFlags()
std::vector<int> hf_command; // one per commandFlags()
int ett_velora = -1;
int ett_answer = -1;
int ett_command = -1;
expert_field ei_trash = EI_INIT;
expert_field ei_record = EI_INIT;

const value_string typeNames[] = {
    {mtQuery, "опрос"},
    {mtShortAnswer, "ответ без данных"},
    {mtLongAnswer, "ответ с данными"},
    {mtLongAnswerAck, "подтверждение ответа"},
    {mtCommand, "команда"},
    {mtCommandAck, "подтверждение команды"},
    {mtTrash, "мусор"},
    {0, nullptr},
};

constexpr int kHeader = static_cast<int>(velora_capture::kHeaderSize);

// Wireshark keeps pointers to the names of fields registered at run time.
const char* keep(std::string text) {
    static std::deque<std::string> texts;
    return texts.emplace_back(std::move(text)).c_str();
}

hf_register_info field(int* id, const char* name, const char* abbrev, ftenum type, int display,
                       const void* strings = nullptr, guint64 bitmask = 0) {
    return {id, {name, abbrev, type, display, strings, bitmask, nullptr, HFILL}};
}

void addAnswerFlags(proto_tree* tree, tvbuff_t* tvb) {
    proto_tree* answer =
        proto_tree_add_subtree(tree, tvb, kHeader, -1, ett_answer, nullptr, "Флаги ответа");
    const auto& flags = velora_wireshark::answerFlags();
    for (std::size_t i = 0; i < flags.size(); ++i) {
        proto_tree_add_item(answer, hf_answer[i], tvb, kHeader + flags[i].position.index, 1,
                            ENC_NA);
    }
}

void addCommandFlags(proto_tree* tree, tvbuff_t* tvb, const velora_protocol::Frame& frame) {
    proto_tree* command =
        proto_tree_add_subtree(tree, tvb, kHeader, frame.size, ett_command, nullptr, "Команда");
    const velora_protocol::Command decoded(frame.bytes(), false);
    proto_tree_add_uint(command, hf_command_address, tvb, kHeader, 1,
                        static_cast<guint32>(decoded.deviceAddress()));
    const auto values = velora_decoding::commandFields(decoded);
    for (std::size_t i = 0; i < values.size(); ++i) {
        proto_tree_add_boolean(command, hf_command[i], tvb, kHeader, frame.size, values[i].set);
    }
}

int dissect(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void*) {
    col_set_str(pinfo->cinfo, COL_PROTOCOL, "Velora");
    const int length = static_cast<int>(tvb_captured_length(tvb));
    proto_item* root = proto_tree_add_item(tree, proto_velora, tvb, 0, -1, ENC_NA);
    proto_tree* velora = proto_item_add_subtree(root, ett_velora);
    if (length < kHeader + 1) {
        col_set_str(pinfo->cinfo, COL_INFO, "Запись короче трёх байтов");
        proto_tree_add_expert_format(velora, pinfo, &ei_record, tvb, 0, -1,
                                     "Запись короче трёх байтов");
        return length;
    }
    const guint8* record = tvb_get_ptr(tvb, 0, length);
    const int type = record[0];
    const int address = record[1];
    const auto frame = velora_protocol::Frame::of(static_cast<MessageType>(type), address,
                                                  record + kHeader, record + length);
    const std::string text = velora_decoding::frameText(frame);

    if (type == mtTrash || address == 0) {
        col_add_str(pinfo->cinfo, COL_INFO, text.c_str());
    } else {
        col_add_fstr(pinfo->cinfo, COL_INFO, "%s %d %s", directionMarker(type), address,
                     text.c_str());
    }
    proto_item_append_text(root, ": %s", text.c_str());

    proto_tree_add_item(velora, hf_type, tvb, 0, 1, ENC_NA);
    proto_tree_add_item(velora, hf_address, tvb, 1, 1, ENC_NA);
    proto_tree_add_string(velora, hf_text, tvb, kHeader, frame.size, text.c_str());
    proto_tree_add_item(velora, hf_bytes, tvb, kHeader, length - kHeader, ENC_NA);
    if (type == mtLongAnswer || type == mtCommand) {
        const bool crcOk = velora_protocol::crc16(frame.begin(), frame.size) == 0;
        proto_tree_add_boolean(velora, hf_crc_ok, tvb, length - 2, 2, crcOk);
    }
    const std::string problem =
        velora_capture::recordProblem(type, address, record + kHeader, length - kHeader);
    if (!problem.empty()) {
        proto_tree_add_expert_format(velora, pinfo, &ei_record, tvb, 0, -1, "%s", problem.c_str());
    } else if (type == mtLongAnswer) {
        addAnswerFlags(velora, tvb);
    } else if (type == mtCommand) {
        addCommandFlags(velora, tvb, frame);
    }
    if (type == mtTrash) {
        proto_tree_add_expert(velora, pinfo, &ei_trash, tvb, kHeader, length - kHeader);
    }
    return length;
}

void registerProtocol() {
    proto_velora = proto_register_protocol("Velora RS-485", "Velora", "velora");

    std::vector<hf_register_info> fields = {
        field(&hf_type, "Тип", "velora.type", FT_UINT8, BASE_DEC, VALS(typeNames)),
        field(&hf_address, "Адрес", "velora.address", FT_UINT8, BASE_DEC),
        field(&hf_text, "Текст", "velora.text", FT_STRING, BASE_NONE),
        field(&hf_bytes, "Байты", "velora.bytes", FT_BYTES, SEP_SPACE),
        field(&hf_crc_ok, "CRC верна", "velora.crc_ok", FT_BOOLEAN, BASE_NONE),
        field(&hf_command_address, "Адрес в команде", "velora.command.address", FT_UINT8, BASE_DEC),
    };
    const auto& answerFlags = velora_wireshark::answerFlags();
    hf_answer.assign(answerFlags.size(), -1);
    for (std::size_t i = 0; i < answerFlags.size(); ++i) {
        fields.push_back(field(&hf_answer[i], keep(answerFlags[i].label),
                               keep("velora.answer." + answerFlags[i].abbrev), FT_BOOLEAN, 8,
                               nullptr, 1u << answerFlags[i].position.bit));
    }
    const auto& commandFlags = velora_wireshark::commandFlags();
    hf_command.assign(commandFlags.size(), -1);
    for (std::size_t i = 0; i < commandFlags.size(); ++i) {
        fields.push_back(field(&hf_command[i], keep(commandFlags[i].label),
                               keep("velora.command." + commandFlags[i].abbrev), FT_BOOLEAN,
                               BASE_NONE));
    }
    // Wireshark keeps the array.
    auto* kept = new std::vector<hf_register_info>(std::move(fields));
    proto_register_field_array(proto_velora, kept->data(), static_cast<int>(kept->size()));

    static gint* subtrees[] = {&ett_velora, &ett_answer, &ett_command};
    proto_register_subtree_array(subtrees, G_N_ELEMENTS(subtrees));

    static ei_register_info expertInfo[] = {
        {&ei_trash,
         {"velora.trash", PI_PROTOCOL, PI_WARN, "Байты, не сложившиеся в кадр", EXPFILL}},
        {&ei_record,
         {"velora.record", PI_MALFORMED, PI_ERROR, "Заголовок записи не соответствует байтам",
          EXPFILL}},
    };
    expert_module_t* expert = expert_register_protocol(proto_velora);
    expert_register_field_array(expert, expertInfo, G_N_ELEMENTS(expertInfo));
}

void registerHandoff() {
    const dissector_handle_t handle = create_dissector_handle(dissect, proto_velora);
    dissector_add_uint("wtap_encap", WTAP_ENCAP_USER0, handle);
}

} // namespace

void plugin_register(void) {
    static proto_plugin plugin = {registerProtocol, registerHandoff};
    proto_register_plugin(&plugin);
}

#include "FlagFields.h"

#include <velora_decoding/FrameFields.h>
#include <velora_decoding/FrameText.h>

namespace velora_wireshark {

namespace {

// A label as the plugin shows it: capitalised, in UTF-8.
std::string shown(const std::wstring& label) {
    return velora_decoding::toUtf8(velora_decoding::capitalised(label));
}

} // namespace

const std::vector<AnswerFlag>& answerFlags() {
    static const std::vector<AnswerFlag> flags = [] {
        std::vector<AnswerFlag> list;
        for (const velora_protocol::AnswerField& field : velora_protocol::kAnswerFields) {
            list.push_back({field.id, shown(velora_decoding::fieldLabel(field)), field.position});
        }
        for (int group = 0; group < velora_protocol::kGroupCount; ++group) {
            list.push_back({"group" + std::to_string(group),
                            shown(velora_decoding::groupLabel(group)),
                            {velora_protocol::kGroupCommandsByte, group}});
        }
        return list;
    }();
    return flags;
}

const std::vector<CommandFlag>& commandFlags() {
    static const std::vector<CommandFlag> flags = [] {
        std::vector<CommandFlag> list;
        for (const velora_protocol::CommandField& field : velora_protocol::kCommandFields) {
            list.push_back({field.id, shown(field.label)});
        }
        return list;
    }();
    return flags;
}

} // namespace velora_wireshark

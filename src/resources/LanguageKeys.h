#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quelt::resources {

// The keys of the user-interface texts, in the order of the language table. Each is also the
// name of the element that holds its text in a language file.
// clang-format off
inline constexpr std::array<std::string_view, 181> kLanguageKeys = {
    "offline", "connecting", "finding_host", "logging_on", "menu", "user", "chat", "info", "add_to_group",
    "move_to_group", "authorize", "add_to_list", "request_auth", "delete", "block", "unblock", "find_msn_user",
    "find_icq_user", "always_refresh_icq_contact_list", "status_of_unauth_icq_contacts",
    "refresh_icq_contact_list", "economy_mode", "full_mode", "need_reconnect", "configuration",
    "accounts_network", "settings", "icons_smilies_skin", "toolbar", "home_screen", "setup", "delete_scheme",
    "about", "msn_status", "online", "busy", "idle", "be_right_back", "away", "on_the_phone", "out_to_lunch",
    "invisible", "icq_status", "not_available", "occupied", "do_not_disturb", "free_for_chat", "account",
    "password", "ok", "cancel", "show_offline_contacts", "new_message_sound", "vibration", "codepage",
    "default_0", "date_time_in_chat", "names_in_chat", "request_delivery_ack", "typing_notifications",
    "cyclic_scrolling", "joystick_right_opens_chat", "advanced", "advanced_settings",
    "disable_ch2_icq_messages", "icons", "icq_smilies", "msn_smilies", "skin", "contact_height",
    "contact_font_size", "status_font_size", "toolbar_height", "chat_font_size", "message_area", "left_key",
    "key_n", "show_hide_offline", "show_offline", "hide_offline", "sound", "vibro", "find", "scrolling",
    "none", "quit", "home_screen_setup", "plugin_setup", "plugin_location", "auto_hide", "height", "b_border",
    "default", "on", "off", "next", "previous", "done", "back", "send", "smile", "invite",
    "leave_chat_session", "close", "typing", "account_name", "nickname", "show_as", "first_name", "last_name",
    "e_mail", "phones", "gender", "female", "male", "age", "above", "birthday", "city", "homepage", "notes",
    "save", "refresh", "search", "user_found", "user_not_found", "add", "select_smile", "insert",
    "no_active_account", "disabled", "error", "icq_error", "prev_scheme_name_unknown",
    "cant_delete_cur_scheme", "all_rights_reserved", "feedback", "you_disconnected", "reason",
    "logged_another", "icq_rejected", "participant", "participants", "hide", "you", "language", "ui_language",
    "qs_language", "file", "photo", "video_clip", "voice", "upload", "copy", "paste", "clear", "copy_message",
    "open_link", "download", "copy_link", "delete_message", "clear_history", "upload_failed", "downloads",
    "open_file", "stop", "delete_file", "add_link", "folders", "history_folder", "outgoing_folder",
    "incoming_folder", "select_folder", "show_status", "quick_search", "enable_unicode_support",
    "contact_options", "unicode", "auto_connect", "authorization_request", "smilelist_animation"
};
// clang-format on

// The position of a key in kLanguageKeys; nothing for a name that is not a key.
[[nodiscard]] std::optional<size_t> LanguageKeyIndex(std::string_view key);

}  // namespace quelt::resources

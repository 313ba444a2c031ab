#include "today/item/launch_item.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/device_root.h"
#include "resources/resource_ids.h"
#include "today/item/options_dialog.h"

namespace zentrix::today {

namespace {

FileLauncher& fileLauncher() {
    static FileLauncher launcher;
    return launcher;
}

OptionsOpener& optionsOpener() {
    static OptionsOpener opener;
    return opener;
}

bool equalsIgnoringCase(WideStringView a, WideStringView b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char16_t c) {
            return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
        };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

bool isFolder(WideStringView file) {
    if (file.empty()) {
        return false;
    }
    if (file == u"\\" || file == u"/") {
        return true;
    }
    std::error_code error;
    if (std::filesystem::is_directory(platform::devicePath(file), error)) {
        return true;
    }
    // A folder of this machine, as an import from a host folder stores it.
    const std::string local = platform::toUtf8(file);
    return !local.empty() && local.front() == '/' && std::filesystem::is_directory(local, error);
}

void send(framework::HWND owner, ItemCommand command) {
    framework::SendMessage(owner, kItemCommandMessage, static_cast<framework::WPARAM>(command), 0);
}

}  // namespace

LaunchKind launchKind(WideStringView file) {
    static constexpr std::array<std::pair<std::u16string_view, LaunchKind>, 5> kPseudoCommands{{
        {u"#Settings", LaunchKind::Settings},
        {u"#Arrow up", LaunchKind::PreviousPage},
        {u"#Arrow down", LaunchKind::NextPage},
        {u"#Arrow left", LaunchKind::PreviousGroup},
        {u"#Arrow right", LaunchKind::NextGroup},
    }};
    for (const auto& [name, kind] : kPseudoCommands) {
        if (equalsIgnoringCase(file, name)) {
            return kind;
        }
    }
    return isFolder(file) ? LaunchKind::Folder : LaunchKind::File;
}

framework::HWND openItemOptions(framework::HWND owner) {
    if (optionsOpener()) {
        return optionsOpener()(owner);
    }
    return openOptionsDialog(owner);
}

bool launchItem(WideStringView file, WideStringView commandLine, framework::HWND owner) {
    const LaunchKind kind = launchKind(file);
    switch (kind) {
        case LaunchKind::Settings:
            openItemOptions(owner);
            return true;
        case LaunchKind::PreviousPage:
            send(owner, ItemCommand::PreviousPage);
            return true;
        case LaunchKind::NextPage:
            send(owner, ItemCommand::NextPage);
            return true;
        case LaunchKind::PreviousGroup:
            send(owner, ItemCommand::PreviousGroup);
            return true;
        case LaunchKind::NextGroup:
            send(owner, ItemCommand::NextGroup);
            return true;
        case LaunchKind::Folder:
        case LaunchKind::File:
            break;
    }
    // A folder opens in the file manager, which takes no arguments of the item's.
    const WideStringView arguments = kind == LaunchKind::Folder ? WideStringView() : commandLine;
    const platform::LaunchResult result =
        fileLauncher() ? fileLauncher()(file, arguments) : platform::launchFile(file, arguments);
    if (!result.started) {
        const WideString text =
            framework::formatPattern(framework::loadString(IDS_TODAY_CANNOT_START),
                                     {file, platform::fromUtf8(result.error)});
        framework::showMessageBox(framework::CWnd::FromHandle(owner), text,
                                  framework::loadString(IDS_TODAY_LAUNCH_CAPTION),
                                  framework::MB_OK | framework::MB_ICONERROR);
    }
    return result.started;
}

void setFileLauncher(FileLauncher launcher) {
    fileLauncher() = std::move(launcher);
}

void setOptionsOpener(OptionsOpener opener) {
    optionsOpener() = std::move(opener);
}

}  // namespace zentrix::today

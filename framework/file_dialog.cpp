#include "framework/file_dialog.h"

#include <QGuiApplication>
#include <QUrl>
#include <system_error>

#include "framework/file_dialog_qt.h"
#include "framework/wnd.h"
#include "platform/device_root.h"

namespace zentrix::framework {
namespace {

namespace fs = std::filesystem;

FileDialogHandler& handler() {
    static FileDialogHandler h;
    return h;
}

bool headless() {
    return QGuiApplication::platformName() == QLatin1String("offscreen") ||
           QGuiApplication::platformName() == QLatin1String("minimal");
}

/// `path` relative to `root` when it lies at or below it, compared as written.
std::optional<fs::path> lexicallyBelow(const fs::path& path, const fs::path& root) {
    const fs::path relative = path.lexically_normal().lexically_relative(root.lexically_normal());
    if (relative.empty())
        return std::nullopt;
    if (relative == ".")
        return fs::path();
    if (*relative.begin() == "..")
        return std::nullopt;
    return relative;
}

std::optional<fs::path> relativeToRoot(const fs::path& local) {
    if (!local.is_absolute())
        return std::nullopt;
    const fs::path root = platform::deviceRoot();
    if (auto relative = lexicallyBelow(local, root))
        return relative;
    // The desktop may hand back the root by another name (a link on the way to it).
    std::error_code error;
    const fs::path realRoot = fs::weakly_canonical(root, error);
    if (error)
        return std::nullopt;
    const fs::path realPath = fs::weakly_canonical(local, error);
    if (error)
        return std::nullopt;
    return lexicallyBelow(realPath, realRoot);
}

size_t lastSeparator(WideStringView path) {
    return path.find_last_of(u"\\/");
}

QString qtText(WideStringView text) {
    return QString::fromStdU16String(WideString(text));
}

}  // namespace

void setFileDialogHandler(FileDialogHandler h) {
    handler() = std::move(h);
}

std::vector<std::pair<WideString, WideString>> parseFileFilter(WideStringView filter) {
    std::vector<WideString> parts;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t bar = filter.find(u'|', start);
        const size_t end = bar == WideStringView::npos ? filter.size() : bar;
        parts.emplace_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::pair<WideString, WideString>> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        WideString patterns = parts[i + 1];
        for (char16_t& c : patterns) {
            if (c == u';')
                c = u' ';
        }
        WideString description = parts[i];
        if (!description.ends_with(u"(" + patterns + u")"))
            description += u" (" + patterns + u")";
        filters.emplace_back(std::move(description), std::move(patterns));
    }
    return filters;
}

WideString normalHandheldPath(WideStringView handheldPath) {
    std::vector<WideString> parts;
    size_t start = 0;
    while (start <= handheldPath.size()) {
        size_t end = handheldPath.find_first_of(u"\\/", start);
        if (end == WideStringView::npos)
            end = handheldPath.size();
        const WideStringView part = handheldPath.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    if (parts.empty())
        return u"\\";
    WideString path;
    for (const WideString& part : parts) path += u"\\" + part;
    return path;
}

std::optional<WideString> handheldPathFor(const fs::path& local) {
    const std::optional<fs::path> relative = relativeToRoot(local);
    if (!relative)
        return std::nullopt;
    WideString path;
    for (const fs::path& part : *relative) {
        if (part.empty() || part == ".")
            continue;
        path += u"\\" + platform::fromUtf8(part.string());
    }
    return path.empty() ? WideString(u"\\") : path;
}

RootedFileDialog::RootedFileDialog(const fs::path& root, QWidget* parent)
    : QFileDialog(parent), root_(root) {
    // The platform's own dialog would browse the whole machine and look different headless.
    setOption(QFileDialog::DontUseNativeDialog, true);
    // "Storage Card" may be a link to a removable medium: it is entered as a folder of the root.
    setOption(QFileDialog::DontResolveSymlinks, true);
    const QString rootText = QString::fromStdString(root_.string());
    setSidebarUrls({QUrl::fromLocalFile(rootText)});
    setDirectory(rootText);
    connect(this, &QFileDialog::directoryEntered, this,
            [this](const QString& folder) { keepInside(folder); });
}

void RootedFileDialog::keepInside(const QString& folder) {
    if (!lexicallyBelow(fs::path(folder.toStdString()), root_))
        setDirectory(QString::fromStdString(root_.string()));
}

void RootedFileDialog::accept() {
    const QStringList chosen = selectedFiles();
    for (const QString& file : chosen) {
        if (!lexicallyBelow(fs::path(file.toStdString()), root_)) {
            setDirectory(QString::fromStdString(root_.string()));
            return;
        }
    }
    QFileDialog::accept();
}

CFileDialog::CFileDialog(bool openFileDialog, WideStringView defaultExt, WideStringView fileName,
                         DWORD flags, WideStringView filter, CWnd* parent)
    : open_(openFileDialog),
      defaultExt_(defaultExt),
      fileName_(fileName),
      flags_(flags),
      filter_(filter),
      parent_(parent) {}

FileDialogRecord CFileDialog::record() const {
    FileDialogRecord record;
    record.save = !open_;
    record.filter = filter_;
    record.flags = flags_;
    record.defaultExt = defaultExt_;
    WideString folder = initialFolder_;
    WideString name = fileName_;
    const size_t separator = lastSeparator(name);
    if (separator != WideString::npos) {
        if (folder.empty())
            folder = name.substr(0, separator);
        name = name.substr(separator + 1);
    }
    record.initialFolder = normalHandheldPath(folder);
    record.fileName = name;
    return record;
}

int CFileDialog::DoModal() {
    pathName_.clear();
    const FileDialogRecord shown = record();
    std::optional<WideString> chosen;
    if (handler()) {
        FileDialogHandler h = handler();
        chosen = h(shown);
    } else if (!headless()) {
        const fs::path root = platform::deviceRoot();
        platform::createFolders(root);
        RootedFileDialog dialog(root, parent_ != nullptr ? parent_->widget() : nullptr);
        dialog.setAcceptMode(open_ ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open_ ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, (flags_ & OFN_OVERWRITEPROMPT) == 0);
        QStringList filters;
        for (const auto& [description, patterns] : parseFileFilter(filter_))
            filters << qtText(description);
        if (!filters.isEmpty())
            dialog.setNameFilters(filters);
        std::error_code error;
        const fs::path folder = platform::devicePath(shown.initialFolder);
        if (fs::is_directory(folder, error))
            dialog.setDirectory(QString::fromStdString(folder.string()));
        if (!shown.fileName.empty())
            dialog.selectFile(qtText(shown.fileName));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = handheldPathFor(fs::path(dialog.selectedFiles().front().toStdString()));
    }
    if (!chosen || chosen->empty())
        return IDCANCEL;
    WideString path = normalHandheldPath(*chosen);
    if (path == u"\\")
        return IDCANCEL;
    if (!defaultExt_.empty()) {
        const size_t separator = lastSeparator(path);
        if (path.find(u'.', separator) == WideString::npos)
            path += u"." + defaultExt_;
    }
    pathName_ = std::move(path);
    return IDOK;
}

WideString CFileDialog::GetFileName() const {
    const size_t separator = lastSeparator(pathName_);
    return separator == WideString::npos ? pathName_ : pathName_.substr(separator + 1);
}

WideString CFileDialog::GetFileExt() const {
    const WideString name = GetFileName();
    const size_t dot = name.find_last_of(u'.');
    return dot == WideString::npos ? WideString() : name.substr(dot + 1);
}

WideString CFileDialog::GetFolderPath() const {
    const size_t separator = lastSeparator(pathName_);
    if (separator == WideString::npos)
        return WideString();
    return separator == 0 ? WideString(u"\\") : pathName_.substr(0, separator);
}

}  // namespace zentrix::framework

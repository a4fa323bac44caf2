#include "launcher/core/launcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace pandle {

const std::array<MenuEntry, kMenuSize>& menuEntries() {
    static const std::array<MenuEntry, kMenuSize> kEntries = {{
        {MenuAction::OpenTemplate, u"シートを印刷", "template", nullptr},
        {MenuAction::StartScanner, u"スキャン", "fenwary", SuiteFiles::kScanner},
        {MenuAction::StartEditor, u"マーク定義", "dravel", SuiteFiles::kEditor},
        {MenuAction::StartReader, u"読取り・採点", "tarrow", SuiteFiles::kReader},
        {MenuAction::OpenManual, u"マニュアル", "manual", nullptr},
        {MenuAction::Quit, u"終了", "quit", nullptr},
    }};
    return kEntries;
}

Launcher::Services Launcher::systemServices() {
    Services services;
    services.start = systemStart();
    services.open = xdgOpenHandler();
    services.nowMs = [] {
        static const QElapsedTimer clock = [] {
            QElapsedTimer timer;
            timer.start();
            return timer;
        }();
        return clock.elapsed();
    };
    return services;
}

Launcher::Launcher(SuitePaths suite, UserFolders user, Services services)
    : suite_(std::move(suite)), user_(std::move(user)), services_(std::move(services)) {}

bool Launcher::isRepeat(int index) {
    const qint64 now = services_.nowMs ? services_.nowMs() : 0;
    const bool repeat = index == lastIndex_ && now - lastPressMs_ < kRepeatMs;
    if (!repeat) {
        lastIndex_ = index;
        lastPressMs_ = now;
    }
    return repeat;
}

Launcher::Reply Launcher::press(int index) {
    if (index < 0 || index >= kMenuSize) return {};
    const MenuEntry& entry = menuEntries()[static_cast<std::size_t>(index)];
    if (entry.action == MenuAction::Quit) return {Step::Quit, {}};
    if (isRepeat(index)) return {};
    switch (entry.action) {
        case MenuAction::OpenTemplate:
            return {Step::ChooseTemplate, {}};
        case MenuAction::OpenManual:
            return {Step::Done, openDocument(suite_.manual(), services_.open)};
        default:
            return {Step::Done,
                    startProgram(suite_.program(QString::fromUtf16(entry.program)), services_.start,
                                 privateFolder({user_.documents, QDir::homePath()}))};
    }
}

QString Launcher::openTemplate(const QString& path) {
    if (path.isEmpty()) return {};
    return openDocument(path, services_.open);
}

QString Launcher::templateDialogFolder() const {
    for (const QString& folder : {user_.templates, suite_.shippedTemplates(), user_.documents}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    }
    return {};
}

TemplateCopy Launcher::prepareTemplates(QString* error) const {
    if (user_.templates.isEmpty())
        return copyShippedTemplates(suite_.shippedTemplates(), user_.templates, error);
    return copyShippedTemplates(suite_.shippedTemplates(), user_.templatesOnDisk, error);
}

}  // namespace pandle

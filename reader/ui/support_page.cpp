#include "reader/ui/support_page.h"

#include <QDesktopServices>

#ifndef TARROW_SUPPORT_URL
#define TARROW_SUPPORT_URL "file:///usr/share/doc/velmora/"
#endif

namespace tarrow {

QUrl supportPageUrl(const QString& base, const AppVersion& version) {
    QString address = base;
    while (address.endsWith(u'/')) address.chop(1);
    address += QStringLiteral("/faq/product.htm?k=tarrow3&app=tarrow3&ver=") + version.text() +
               QStringLiteral("&lang=japanese");
    return QUrl(address);
}

QUrl defaultSupportPageUrl() {
    return supportPageUrl(QStringLiteral(TARROW_SUPPORT_URL));
}

bool openSupportPage(Prompter& prompter, const QUrl& url,
                     const std::function<bool(const QUrl&)>& open) {
    const bool opened = url.isValid() && (open ? open(url) : QDesktopServices::openUrl(url));
    if (!opened) prompter.message(kSupportPageFailure, Prompter::Icon::Information);
    return opened;
}

}  // namespace tarrow

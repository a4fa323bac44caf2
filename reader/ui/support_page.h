// The support web page of the help menu: its address and opening it with
// the desktop's browser.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "reader/core/app_settings.h"
#include "reader/core/prompter.h"

namespace tarrow {

/// The support page under `base`: "faq/product.htm?k=tarrow3&app=tarrow3"
/// "&ver=<major_minor_revision>&lang=japanese", joined with exactly one "/".
QUrl supportPageUrl(const QString& base, const AppVersion& version = AppVersion{});

/// The page under the build's base address.
QUrl defaultSupportPageUrl();

/// The message when the page cannot be opened.
inline const QString kSupportPageFailure = QStringLiteral(
    "アプリケーション上からWebサイトにアクセスできません。\r\n"
    "ネットワークの状態を確認して下さい。");

/// Opens `url` with `open` (the desktop's browser by default); when that
/// fails, shows kSupportPageFailure. Returns whether it opened.
bool openSupportPage(Prompter& prompter, const QUrl& url = defaultSupportPageUrl(),
                     const std::function<bool(const QUrl&)>& open = {});

}  // namespace tarrow

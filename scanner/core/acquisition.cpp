#include "scanner/core/acquisition.h"

namespace fenwary {

std::string deviceErrorText(DeviceError error) {
    switch (error) {
        case DeviceError::None:
            return {};
        case DeviceError::FeederEmpty:
            return "フィーダーに用紙がありません。";
        case DeviceError::Jammed:
            return "紙詰まりが発生しました。";
        case DeviceError::CoverOpen:
            return "スキャナのカバーが開いています。";
        case DeviceError::Busy:
            return "スキャナは使用中です。";
        case DeviceError::Io:
            return "スキャナとの通信に失敗しました。";
        case DeviceError::BadPage:
            return "スキャナから受け取った画像を読み取れません。";
        case DeviceError::NotResponding:
            return "スキャナが応答しません";
    }
    return {};
}

}  // namespace fenwary

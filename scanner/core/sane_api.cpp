#include "scanner/core/sane_api.h"

namespace fenwary {

namespace {

class LibSane final : public SaneApi {
public:
    SANE_Status init(SANE_Int* versionCode) override { return sane_init(versionCode, nullptr); }
    void exit() override { sane_exit(); }
    SANE_Status getDevices(const SANE_Device*** list, SANE_Bool localOnly) override {
        return sane_get_devices(list, localOnly);
    }
    SANE_Status open(SANE_String_Const name, SANE_Handle* handle) override {
        return sane_open(name, handle);
    }
    void close(SANE_Handle handle) override { sane_close(handle); }
    const SANE_Option_Descriptor* optionDescriptor(SANE_Handle handle, SANE_Int option) override {
        return sane_get_option_descriptor(handle, option);
    }
    SANE_Status controlOption(SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                              SANE_Int* info) override {
        return sane_control_option(handle, option, action, value, info);
    }
    SANE_Status start(SANE_Handle handle) override { return sane_start(handle); }
    SANE_Status parameters(SANE_Handle handle, SANE_Parameters* parameters) override {
        return sane_get_parameters(handle, parameters);
    }
    SANE_Status read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                     SANE_Int* length) override {
        return sane_read(handle, data, maxLength, length);
    }
    void cancel(SANE_Handle handle) override { sane_cancel(handle); }
};

}  // namespace

std::unique_ptr<SaneApi> makeLibSane() {
    return std::make_unique<LibSane>();
}

}  // namespace fenwary

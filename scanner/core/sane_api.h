// The SANE library's calls as a small interface, so tests can put faults
// between the scanner code and a real backend (a device that disappears
// after some pages, a jam at page k). LibSane passes every call to libsane.
#pragma once

#include <sane/sane.h>

#include <memory>

namespace fenwary {

class SaneApi {
public:
    virtual ~SaneApi() = default;
    virtual SANE_Status init(SANE_Int* versionCode) = 0;
    virtual void exit() = 0;
    virtual SANE_Status getDevices(const SANE_Device*** list, SANE_Bool localOnly) = 0;
    virtual SANE_Status open(SANE_String_Const name, SANE_Handle* handle) = 0;
    virtual void close(SANE_Handle handle) = 0;
    virtual const SANE_Option_Descriptor* optionDescriptor(SANE_Handle handle, SANE_Int option) = 0;
    virtual SANE_Status controlOption(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                      void* value, SANE_Int* info) = 0;
    virtual SANE_Status start(SANE_Handle handle) = 0;
    virtual SANE_Status parameters(SANE_Handle handle, SANE_Parameters* parameters) = 0;
    virtual SANE_Status read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                             SANE_Int* length) = 0;
    virtual void cancel(SANE_Handle handle) = 0;
};

/// The installed libsane.
std::unique_ptr<SaneApi> makeLibSane();

}  // namespace fenwary

#include "platform/common_base/smbios_information_retriever.h"

#include "sim/common_base/environment_control.h"
#include "sim/trace.h"

SMBiosInformationRetriever* SMBiosInformationRetriever::GetInstance() {
    orvsim::TraceCall("SMBiosInformationRetriever", "GetInstance");
    static SMBiosInformationRetriever instance;
    return &instance;
}

std::wstring SMBiosInformationRetriever::GetManufacturer() {
    std::wstring manufacturer = orvsim::ArrangedManufacturer();
    orvsim::TraceCall("SMBiosInformationRetriever", "GetManufacturer", manufacturer);
    return manufacturer;
}

#pragma once
// Firmware (SMBIOS) information of the machine.

#include <string>

class SMBiosInformationRetriever {
  public:
    // The process-wide retriever; never null. Any thread.
    static SMBiosInformationRetriever* GetInstance();

    // The system manufacturer of the SMBIOS system-information table.
    std::wstring GetManufacturer();

  private:
    SMBiosInformationRetriever() = default;
};

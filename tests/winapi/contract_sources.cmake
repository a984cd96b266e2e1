# The Win32 tests that use Win32 names only: built against the simulated machine here and
# against real Win32 by the windows preset (./test.sh windows). Paths are relative to this folder.
set(ORV_WINAPI_CONTRACT_SOURCES
  sync_contract_test.cpp
  clock_contract_test.cpp
  threadpool_contract_test.cpp
  registry_contract_test.cpp
  com_contract_test.cpp
  services_contract_test.cpp)

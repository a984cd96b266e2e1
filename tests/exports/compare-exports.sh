#!/usr/bin/env bash
# Checks that the Windows DLL exports what the Linux library exports: the three entry points
# and every member of the shared types. Prints what one side has and the other lacks.
#
#   compare-exports.sh LINUX_LIBRARY.so WINDOWS_LIBRARY.dll
#
# Left out on both sides, as they are not the library's interface: instantiations of the
# standard library's templates (which Linux exports as weak symbols), and the type-information
# names that Linux exports beside each exported class's type information (mingw-w64 compares
# type information by its name's text and exports only the type information itself).
# The entry points' Win32 types are spelt differently by the simulated machine (DWORD is an
# unsigned int there, an unsigned long on Windows; the handle types have other tag names), so
# those spellings are made one before comparing.
set -euo pipefail

linux_library="$1"
windows_library="$2"
for file in "${linux_library}" "${windows_library}"; do
    if [[ ! -f "${file}" ]]; then
        echo "compare-exports: ${file} does not exist (build it first)" >&2
        exit 1
    fi
done

not_interface='^_Z(GVZ|TV|TI|TS|TT|Th|Tv|Z)?N?K?(St|9__gnu_cxx|NSt)'

linux_exports() {
    nm -D --defined-only "${linux_library}" | awk '{ print $3 }' | grep -v -x -e _init -e _fini
}

windows_exports() {
    x86_64-w64-mingw32-objdump -p "${windows_library}" | awk '
        /\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
        table && /^\t\[/ { print $NF; next }
        table && /^$/ { table = 0 }'
}

normalise() {
    grep -Ev "${not_interface}" | c++filt | grep -v '^typeinfo name for ' |
        sed -e 's/unsigned int/DWORD/g; s/unsigned long/DWORD/g' \
            -e 's/SERVICE_STATUS_HANDLE[_a-z]*\*/SERVICE_STATUS_HANDLE/g' | sort -u
}

linux_list="$(linux_exports | normalise)"
windows_list="$(windows_exports | normalise)"
only_linux="$(comm -23 <(echo "${linux_list}") <(echo "${windows_list}"))"
only_windows="$(comm -13 <(echo "${linux_list}") <(echo "${windows_list}"))"

echo "compare-exports: $(echo "${linux_list}" | grep -c .) exports on Linux," \
     "$(echo "${windows_list}" | grep -c .) on Windows"
status=0
if [[ -n "${only_linux}" ]]; then
    echo "Exported on Linux but not by the DLL:"
    echo "${only_linux}" | sed 's/^/  /'
    status=1
fi
if [[ -n "${only_windows}" ]]; then
    echo "Exported by the DLL but not on Linux:"
    echo "${only_windows}" | sed 's/^/  /'
    status=1
fi
for entry in 'OnStart(SERVICE_STATUS_HANDLE)' 'OnServiceControlHandle(DWORD, DWORD, void*, void*)' \
             'OnStop()'; do
    if ! grep -q -x -F "${entry}" <<<"${windows_list}"; then
        echo "The DLL does not export the entry point ${entry}"
        status=1
    fi
done
exit "${status}"

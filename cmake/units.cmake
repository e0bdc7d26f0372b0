# The units: <unit>/*.cpp is portable code, <unit>/win/*.cpp its Win32 side.
# Read by the program's tree, the fuzz tree and scripts/static-check.sh; a
# new unit is added here only.
set(VESK_UNITS base app ui probes wmi smart net launcher)

# Warnings for our own targets only; third-party headers come in as system includes.
# -Wmissing-field-initializers is off because designated initializers leave defaulted members
# out on purpose; -Wnull-dereference is left out for its false alarms inside libstdc++.
add_library(quelt_warnings INTERFACE)
target_compile_options(quelt_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wimplicit-fallthrough -Wformat=2 -Wno-missing-field-initializers)

# Warnings for our own targets only; third-party headers come in as system includes.
# -Wmissing-field-initializers is off because designated initializers leave defaulted members
# out on purpose; -Wnull-dereference is left out for its false alarms inside libstdc++, and GCC 12's
# -Wrestrict is off because optimised builds raise it for ordinary std::string concatenation.
add_library(quelt_warnings INTERFACE)
target_compile_options(quelt_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wimplicit-fallthrough -Wformat=2 -Wno-missing-field-initializers
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)

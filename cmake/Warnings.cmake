# The warnings of our own code, as a target that each of our targets links
# PRIVATE: they apply to what we compile and to no consumer of an installed
# package. SENSORDLL_WERROR (on in CI) makes them fatal.
add_library(sensordll_warnings INTERFACE)
target_compile_options(sensordll_warnings INTERFACE -Wall -Wextra -Wno-format-zero-length
  $<$<BOOL:${SENSORDLL_WERROR}>:-Werror>)

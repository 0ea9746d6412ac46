# Warnings for every target of the project.
add_compile_options(-Wall -Wextra -Wno-format-zero-length)
if(SENSORDLL_WERROR)
  add_compile_options(-Werror)
endif()

add_compile_options(-Wall -Wextra)
if(SKYLOOM_WERROR)
  add_compile_options(-Werror)
endif()

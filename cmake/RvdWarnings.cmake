# Warnings on everywhere; sanitizers when asked for.
add_compile_options(-Wall -Wextra)
if(RVD_WERROR)
  add_compile_options(-Werror)
endif()
if(RVD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

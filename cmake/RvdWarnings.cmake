# Warnings on everywhere; sanitizers when asked for.
add_compile_options(-Wall -Wextra)
if(RVD_WERROR)
  add_compile_options(-Werror)
endif()
if(RVD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A unity build compiles several sources as one; GCC then takes each source for a
# header and warns about test fixtures in anonymous namespaces, which is harmless.
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-subobject-linkage>)
endif()

# The hardening that Debian builds its own packages with: fortified C library
# calls, a stack protector, and relocations resolved at start-up and then
# made read-only (-z relro, -z now). Only for optimised builds, which the
# fortified calls need; not for the Windows program. The benchmark build
# links the program the same way. -DDOLV_HARDEN=OFF leaves it all out.
option(DOLV_HARDEN "Build the program with Debian's hardening flags" ON)

function(dolv_harden target)
  if(WIN32 OR NOT DOLV_HARDEN)
    return()
  endif()
  set(optimised "$<NOT:$<CONFIG:Debug>>")
  # -U first: a compiler that defines its own level would warn about the
  # redefinition, and warnings are errors here.
  target_compile_options(${target} PRIVATE
    "$<${optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>" -fstack-protector-strong)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE LINKER:-z,relro LINKER:-z,now)
  endif()
endfunction()

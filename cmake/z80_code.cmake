# Code that runs on the KC is Z80 assembly in the repository, assembled at
# build time by z80asm (Debian's package of that name) and embedded as a C++
# header: the bytes, the address they are assembled for and their labels.
#   kc_z80_code(TARGET NAME SOURCE)
# assembles SOURCE into generated/NAME_code.h in the build folder, on the
# include path of TARGET, with NAME's bytes as kc::z80::NAME::kCode and every
# label as a constant kc::z80::NAME::k<Label> (from_address -> kFromAddress).
find_program(Z80ASM z80asm)
if(NOT Z80ASM)
    message(FATAL_ERROR "z80asm is missing: install the Debian package z80asm (tools/install-deps does)")
endif()
set(KC_Z80_EMBED ${CMAKE_CURRENT_LIST_DIR}/z80_embed.cmake)

function(kc_z80_code target name source)
    set(out ${CMAKE_BINARY_DIR}/generated/z80)
    file(MAKE_DIRECTORY ${out})
    add_custom_command(
        OUTPUT ${out}/${name}_code.h
        COMMAND ${Z80ASM} -i ${source} -o ${out}/${name}.bin --label=${out}/${name}.labels
        COMMAND ${CMAKE_COMMAND} -DNAME=${name} -DBINARY=${out}/${name}.bin
                -DLABELS=${out}/${name}.labels -DOUTPUT=${out}/${name}_code.h -P ${KC_Z80_EMBED}
        DEPENDS ${source} ${KC_Z80_EMBED}
        COMMENT "Assembling ${name} for the KC"
        VERBATIM)
    add_custom_target(${target}_${name}_z80 DEPENDS ${out}/${name}_code.h)
    add_dependencies(${target} ${target}_${name}_z80)
    target_include_directories(${target} PUBLIC ${out})
endfunction()

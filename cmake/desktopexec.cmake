# Exec of a desktop entry that starts `program` (an absolute path), as the
# program writes it too: one quoted argument, with ", `, $ and \ escaped inside
# the quotes, then every backslash doubled again for the entry's string
# escapes, and % doubled.
function(tockaro_desktop_exec out program)
    string(REPLACE "\\" "\\\\" exec "${program}")
    foreach(special "\"" "`" "$")
        string(REPLACE "${special}" "\\${special}" exec "${exec}")
    endforeach()
    string(REPLACE "\\" "\\\\" exec "\"${exec}\"")
    string(REPLACE "%" "%%" exec "${exec}")
    set(${out} "${exec}" PARENT_SCOPE)
endfunction()

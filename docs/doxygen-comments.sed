# The public headers write a name's comment as `//` on the line above it or
# after it on the same line; Doxygen reads those as `///` and `///<`.
s,^\([[:space:]]*\)//\([^/!]\|$\),\1///\2,
s,\([;,{]\)\([[:space:]]*\)//\([^/!<]\|$\),\1\2///<\3,

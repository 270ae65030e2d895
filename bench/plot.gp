# Time against score size from the benchmark's data file: gnuplot -e "data='docs/bench.dat'; out='docs/bench.svg'" bench/plot.gp
set terminal svg size 760,460 dynamic font "DejaVu Sans,12" background "#ffffff"
set output out
set title "mirel-standin run: time against score size"
set xlabel "score size (staves x measures)"
set ylabel "wall time (s)"
set key top left
set grid
set logscale xy
set format x "%.0f"
plot data using 1:2 with linespoints lw 2 pt 7 title "full run (marks placed)", \
     data using 1:3 with linespoints lw 2 pt 5 title "second run over the result", \
     data using 1:4 with linespoints lw 2 pt 9 title "cancelled run (the floor)", \
     data using 1:5 with linespoints lw 2 pt 13 title "the module's own time (full run)"

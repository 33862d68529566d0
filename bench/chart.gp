# Draws bench/results.png from the data files that report.py writes.
# Usage: gnuplot -e "data='DIR'; out='FILE.png'" bench/chart.gp
set terminal pngcairo size 1700,620 font "sans,11"
set output out
set multiplot title "Launcher performance (bench/run)" font "sans,14"
set style fill solid 0.6 border -1
set boxwidth 0.6
set grid ytics
set key off

# Left: whole launches, median with the quartiles, ratio to plain java.
set size 0.36,0.93
set origin 0,0
set title "Launching a tiny Java program\n(bars: median, whiskers: quartiles, labels: ratio to plain java)"
set ylabel "wall-clock time (ms)"
set yrange [0:*]
set xrange [-0.6:4.6]
set xtics nomirror font ",10"
plot data."/launch.dat" using 0:2:xtic(1) with boxes lc rgb "#4477aa", \
     ''                using 0:2:4:5 with yerrorbars lc rgb "black" pt 0, \
     ''                using 0:($5*1.04):(sprintf("×%.3f", $7)) with labels font ",10"

# Middle: the launcher's own cost on a program that exits at once.
set size 0.2,0.93
set origin 0.36,0
set title "The launcher's own cost\n(median, whiskers: quartiles)"
set ylabel "wall-clock time (ms)"
set xrange [-0.6:2.6]
plot data."/cost.dat" using 0:2:xtic(1) with boxes lc rgb "#66aa55", \
     ''              using 0:2:3:4 with yerrorbars lc rgb "black" pt 0, \
     ''              using 0:($4*1.04):(sprintf("%.2f ms", $2)) with labels font ",10"

# Right: how the microbenchmarks grow with their input.
set size 0.44,0.93
set origin 0.56,0
set title "Microbenchmarks: time against input size"
set logscale xy
set xlabel "input size, as a multiple of the smallest one"
set ylabel "median time (ms)"
unset xrange
set yrange [*:*]
set xtics auto font ",10" mirror
set format y "%g"
set key outside right top vertical Left reverse font ",10" samplen 2
plot for [i=0:6] data."/micro.dat" index i using 1:2 with linespoints \
     lw 2 pt 7 title columnheader(1)
unset multiplot

# Median time against book size, log scales: one panel per part timed on several books, one line per
# action, its floor dashed. korvale-bench gives dir (holding 1.dat, 2.dat, ...: a block per action of
# rows, KORVALE and floor in ms), panels, titles (one quoted title per panel) and out.
set terminal pngcairo size 600*panels,820 font 'DejaVu Sans,10'
set output out
set multiplot layout 1,panels title 'Median time against book size, log scales. Solid: KORVALE; dashed: its floor. CPU time; wall clock for durable writes.'
set logscale xy
set grid xtics ytics mytics
set format x '10^{%T}'
set offsets graph 0.05, graph 0.05, 0, 0
set xlabel 'rows in the book'
set ylabel 'milliseconds'
set key outside bottom center vertical maxrows 6 font ',8' noenhanced
do for [p=1:panels] {
    file = sprintf('%s/%d.dat', dir, p)
    stats file using 1 nooutput
    set title word(titles, p) noenhanced
    plot for [i=0:STATS_blocks-1] file index i using 1:2 with linespoints lw 2 pt 7 lc i+1 title columnheader(1), \
         for [i=0:STATS_blocks-1] file index i using 1:3 with lines dt 2 lw 1 lc i+1 notitle
}
unset multiplot

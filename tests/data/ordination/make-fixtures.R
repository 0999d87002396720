# Makes the ordination fixtures of this folder with R and the vegan package (Debian's r-base-core
# and r-cran-vegan). Run from this folder: Rscript make-fixtures.R
# The tests read the CSV files only; they never need R.
suppressMessages(library(vegan))

# The dune meadows as the table holds them (tests/data/dune/dune_bb.csv), each cell converted by
# method 1 (relative class scores: r and + 1, 1 2, 2 3, 3 4, 4 5, 5 8).
bb <- read.csv("../dune/dune_bb.csv", stringsAsFactors = FALSE)
method1 <- c(r = 1, "+" = 1, "1" = 2, "2" = 3, "3" = 4, "4" = 5, "5" = 8)
species <- unique(bb$species)
dune <- matrix(0, 20, length(species), dimnames = list(1:20, species))
for (k in seq_len(nrow(bb))) dune[bb$releve[k], bb$species[k]] <- method1[[bb$code[k]]]

# vegan's varespec (24 sites × 44 species, cover in per cent with two decimals) times 100, so that
# every value is a whole number; a common factor changes no score or eigenvalue.
data(varespec)
vare <- round(as.matrix(varespec) * 100)

# A synthetic table with two known gradients: 48 relevés on a jittered 8 × 6 grid (gradient a
# from 0 to 6, gradient b from 0 to 4), 60 species with Gaussian responses (tolerance 1) to both,
# abundances rounded to whole numbers 0..10; empty rows and columns dropped.
set.seed(11)
g <- expand.grid(a = seq(0, 6, length.out = 8), b = seq(0, 4, length.out = 6))
g <- g + matrix(runif(nrow(g) * 2, -0.2, 0.2), ncol = 2)
m <- 60
oa <- runif(m, -1, 7)
ob <- runif(m, -1, 5)
resp <- outer(g$a, oa, function(x, o) exp(-(x - o)^2 / 2)) * outer(g$b, ob, function(x, o) exp(-(x - o)^2 / 2))
grad <- round(10 * resp)
dimnames(grad) <- list(sprintf("G%02d", 1:nrow(grad)), sprintf("sp%02d", 1:m))
keep <- rowSums(grad) > 0
g <- g[keep, ]
grad <- grad[keep, colSums(grad) > 0]

num <- function(x) format(x, digits = 17, scientific = FALSE, trim = TRUE)

writeValues <- function(x, file) {
  lines <- c(paste(c("releve", colnames(x)), collapse = ","),
             apply(cbind(rownames(x), x), 1, paste, collapse = ","))
  writeLines(lines, file)
}

writeScores <- function(file, axes, extra, sites, species) {
  row <- function(kind, label, v) paste(c(kind, label, num(v)), collapse = ",")
  lines <- paste(c("kind", "label", axes), collapse = ",")
  for (k in names(extra)) lines <- c(lines, row(k, "", extra[[k]]))
  for (i in seq_len(nrow(sites))) lines <- c(lines, row("releve", rownames(sites)[i], sites[i, ]))
  for (j in seq_len(nrow(species))) lines <- c(lines, row("species", rownames(species)[j], species[j, ]))
  writeLines(lines, file)
}

for (name in c("dune", "lichen", "gradient")) {
  x <- switch(name, dune = dune, lichen = vare, gradient = grad)
  writeValues(x, paste0(name, "-values.csv"))
  ca <- cca(x)
  axes <- paste0("CA", 1:4)
  for (scaling in 1:2) {
    s <- scores(ca, display = c("sites", "species"), choices = 1:4, scaling = scaling)
    writeScores(sprintf("%s-ca-scaling%d.csv", name, scaling), axes,
                list(eigenvalue = ca$CA$eig[1:4]), s$sites, s$species)
  }
  d <- decorana(x)
  writeScores(sprintf("%s-dca.csv", name), paste0("DCA", 1:4),
              list(eigenvalue = d$evals, iteration = d$evals.decorana,
                   length = apply(d$rproj, 2, function(z) diff(range(z)))),
              scores(d, display = "sites", choices = 1:4), scores(d, display = "species", choices = 1:4))
  # Detrending alone (no rescaling): what the detrending does, apart from the rescaling.
  d0 <- decorana(x, iresc = 0)
  writeScores(sprintf("%s-dca-norescale.csv", name), paste0("DCA", 1:4),
              list(iteration = d0$evals.decorana),
              scores(d0, display = "sites", choices = 1:4), scores(d0, display = "species", choices = 1:4))
}
writeLines(c("releve,a,b", paste(rownames(grad), num(g$a), num(g$b), sep = ",")), "gradient-positions.csv")

// -- VestaWizard variation file
// -- Retrieval info: <instance entity-name="pll" version="14.0" >
module pll_d (input inclk0, output c0, output locked);
endmodule

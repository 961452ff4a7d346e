// -- VestaWizard variation file
// -- Retrieval info: <instance entity-name="fifo" version="12.1" >
module fifo_a;
endmodule
